#ifndef VEXIL_REPORT_DIAGNOSTICS_LOG_H_
#define VEXIL_REPORT_DIAGNOSTICS_LOG_H_

#include <string>

/// Appends LINE and a line end to the text file at PATH, creating it when
/// missing and never truncating it; other processes may use the file at the
/// same time. The file is closed again before the call returns, so the line
/// is on disk whatever happens next. A file that cannot be written is shown
/// to the user as a warning; the line is then lost, and the caller goes on:
/// this never fails.
void appendLogLine(const std::string& path, const std::string& line);

#endif  // VEXIL_REPORT_DIAGNOSTICS_LOG_H_
