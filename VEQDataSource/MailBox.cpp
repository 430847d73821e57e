#include "MailBox.h"

MailBox::MailBox() = default;

MailBox::~MailBox() = default;
