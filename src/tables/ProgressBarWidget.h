#pragma once
#include "tables/ProgressBar.h"
#include <QProgressBar>

namespace tw {

// The progress bar as a Qt widget: 0 to 100, a plain bar without text.
class ProgressBarWidget : public QProgressBar, public ProgressBar {
    Q_OBJECT
public:
    explicit ProgressBarWidget(QWidget* parent = nullptr);
    int value() const override { return QProgressBar::value(); }
    void setValue(int value) override { QProgressBar::setValue(value); }
};

}
