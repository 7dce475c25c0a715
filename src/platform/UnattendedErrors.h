// The one record of errors that every copy of the log message service in a process shares. A
// plug-in loaded into an unattended host has its own copy of the platform library, so its logged
// error boxes are not in the host's counts; the host asks here before it chooses its exit status.
#pragma once

// Set by a log service that logged an error box.
inline constexpr const char* UnattendedErrorsEnvironment = "GUSVAK_UNATTENDED_ERRORS";

// Whether any log service of this process logged an error box since the last reset.
bool AnyUnattendedErrorInProcess();
void ResetUnattendedErrors();
