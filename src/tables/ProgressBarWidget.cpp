#include "tables/ProgressBarWidget.h"

namespace tw {

ProgressBarWidget::ProgressBarWidget(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 100);
    setValue(0);
    setTextVisible(false);
}

}
