#include "shell/qt/QtProgress.h"

#include "shell/qt/Bindings.h"

#include <QCoreApplication>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace kemvo::qt {
namespace {

constexpr int kSteps = 1000; // resolution of the bar

} // namespace

QtProgress::QtProgress() = default;
QtProgress::~QtProgress() = default;

void QtProgress::begin(const std::string &what) {
    if (depth_++ > 0)
        return;
    what_ = toQt(what);
    stopRequested_ = false;
    started_.start();
    lastRefresh_.start();
}

bool QtProgress::advance(double fraction) {
    if (depth_ == 0)
        return false;
    if (!box_ && started_.elapsed() >= kShowAfterMs)
        showBox();
    if (box_ && lastRefresh_.elapsed() >= kRefreshEveryMs) {
        const double shown = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
        box_->setValue(static_cast<int>(std::lround(shown * kSteps)));
        QCoreApplication::processEvents();
        lastRefresh_.restart();
    }
    return stopRequested_;
}

void QtProgress::end() {
    if (depth_ == 0 || --depth_ > 0)
        return;
    box_.reset();
}

void QtProgress::showBox() {
    box_ = std::make_unique<QProgressDialog>(what_ + QStringLiteral("\u2026"), QString(), 0, kSteps,
                                             parent);
    box_->setWindowTitle("Kemvo");
    box_->setObjectName("FormProgress");
    box_->setWindowModality(Qt::ApplicationModal);
    box_->setAutoClose(false);
    box_->setAutoReset(false);
    box_->setMinimumDuration(0);
    auto *stop = new QPushButton("Stop");
    stop->setObjectName("CmdStop");
    box_->setCancelButton(stop);
    // Stop emits canceled; Esc rejects the box.
    QObject::connect(box_.get(), &QProgressDialog::canceled, [this] { stopRequested_ = true; });
    QObject::connect(box_.get(), &QDialog::rejected, [this] { stopRequested_ = true; });
    box_->show();
    QCoreApplication::processEvents();
}

} // namespace kemvo::qt
