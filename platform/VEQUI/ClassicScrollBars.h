// Scroll bars a user sees. GTK draws a scrolled window's bars as thin
// indicators over the content that show only while the pointer moves there,
// so a list with more rows than fit looks complete. A window given here gets
// the classic bar beside its content instead, shown whenever it overflows.
#pragma once

class wxWindow;

void UseClassicScrollBars(wxWindow* window);
