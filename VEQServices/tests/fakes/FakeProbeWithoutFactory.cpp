// A library named like libVEQProbe that lacks the factory "GetAutomationControl".
#include "Automation.h"

extern "C" VEQ_AUTOMATION_SHARED int FakeProbeWithoutFactory() { return 1; }
