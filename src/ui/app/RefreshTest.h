// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoroTask>
#include <QString>
#include <optional>

class FrameModel;
class QTextStream;
struct Configuration;

// The unattended refresh (APP_REFRESH_TEST set, whatever its value): one refresh, one line on
// standard output ("refresh ok in 1.2s" or "refresh failed: <error line> in 1.2s"), then the
// program ends with status 0 for ok and 1 for failed. It opens no window and needs no display:
// without one it draws on the offscreen platform.
class RefreshTest
{
public:
    static bool requested();

    // The whole mode, in place of the normal launch: prepares the platform, creates the
    // application and the model of this configuration, refreshes and returns the exit status.
    // Call it before any QApplication exists.
    static int main(int argc, char **argv, const Configuration &configuration);

    // Refreshes the model, looks every 0.1 s whether the refresh is over, then writes the line
    // to `out`; returns the exit status.
    static QCoro::Task<int> run(FrameModel &model, QTextStream &out);

    static QString resultLine(const std::optional<QString> &errorLine, const std::optional<QString> &sourceProblem,
                              double seconds);
};
