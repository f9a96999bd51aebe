#pragma once
// The progress of a long command in the window: after half a second a modal progress box with
// a Stop button (CmdStop, also Esc) appears; while it is shown the other windows take no input,
// so no other command can start. The command's polls keep the window painted.

#include "shell/Progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QWidget>

#include <memory>

namespace kemvo::qt {

class QtProgress : public Progress {
public:
    QtProgress();
    ~QtProgress() override;
    void begin(const std::string &what) override;
    bool advance(double fraction) override;
    void end() override;
    QPointer<QWidget> parent;

    static constexpr int kShowAfterMs = 500;   // a shorter run shows nothing
    static constexpr int kRefreshEveryMs = 50; // painting and input between polls

private:
    void showBox();

    QElapsedTimer started_;
    QElapsedTimer lastRefresh_;
    QString what_;
    std::unique_ptr<QProgressDialog> box_;
    int depth_ = 0; // a run inside a running command (a fit's simulations) adds no box
    bool stopRequested_ = false;
};

} // namespace kemvo::qt
