#pragma once
// The application's busy flag: while it is set, commands that change how texts are shown do
// nothing. Any thread may read or set it.

bool GetAppBusyFlag();
void SetAppBusyFlag(bool busy);
