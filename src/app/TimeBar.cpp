#include "app/TimeBar.h"

#include "app/Utilities.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int LabelRow = 14; // height of the row of labels above the strip
} // namespace

TTimeBar::TTimeBar(QWidget* parent) : QWidget(parent) {
    setObjectName("TimeBar");
    setAccessibleName("Time bar");
    setMinimumWidth(360);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(38);
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() - 1));
    setFont(small);
    LabelStart = MakeLabel("LabelStart", "Start");
    LabelStartValue = MakeLabel("LabelStartValue", "0");
    LabelStopValue = MakeLabel("LabelStopValue", "24");
    LabelUnit = MakeLabel("LabelUnit", "Months");
    LabelStop = MakeLabel("LabelStop", "Stop");
    LabelViewStart = MakeLabel("LabelViewStart", "View Start");
    LabelNow = MakeLabel("LabelNow", "Now");
    LabelViewStop = MakeLabel("LabelViewStop", "View Stop");
    LabelCurrentTime = MakeLabel("LabelCurrentTime", "");
    LabelCurrentTime->setStyleSheet("color: #000080");
}

QLabel* TTimeBar::MakeLabel(const char* name, const QString& text) {
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->installEventFilter(this);
    return label;
}

QRect TTimeBar::StripRect() const {
    // Start label and value on the left; stop value and unit on the right.
    const QFontMetrics metrics(font());
    const int left = 4 + metrics.horizontalAdvance(LabelStart->text()) + 4 +
                     metrics.horizontalAdvance(LabelStartValue->text()) + 4;
    const int right = width() - 4 - metrics.horizontalAdvance(LabelStop->text()) - 6 -
                      metrics.horizontalAdvance(LabelUnit->text()) - 3 -
                      metrics.horizontalAdvance(LabelStopValue->text()) - 2;
    return QRect(left, LabelRow + 4, std::max(0, right - left), height() - LabelRow - 8);
}

void TTimeBar::UpdateFrom(const TSimulationObject* simulation) {
    setVisible(simulation != nullptr);
    HasTimes = simulation != nullptr;
    if (!simulation) return;
    LabelStartValue->setText(Q(WholeTimeText(simulation->StartTime)));
    LabelStopValue->setText(Q(WholeTimeText(simulation->StopTime)));
    LabelUnit->setText(Q(simulation->TimeUnit));
    LabelCurrentTime->setText(Q(FormatFloat("0.000", simulation->CurrentTime)));
    ViewStartTime = simulation->ViewStart;
    ViewStopTime = simulation->ViewStop;
    NowTime = simulation->Now;
    auto hint = [](QLabel* label, double time, const char* what) {
        const QString number = Q(WholeTimeText(time));
        label->setToolTip(number);
        label->setStatusTip(QString(what) + number);
    };
    hint(LabelViewStart, ViewStartTime, "View start time is set as ");
    hint(LabelViewStop, ViewStopTime, "View stop time is set as ");
    hint(LabelNow, NowTime, "Today is set as ");
    LastInput = {simulation->StartTime,
                 simulation->StopTime,
                 simulation->CurrentTime,
                 ViewStartTime,
                 ViewStopTime,
                 NowTime,
                 0};
    Relayout();
}

void TTimeBar::Relayout() {
    LastInput.StripWidth = StripRect().width();
    Current = LayoutTimeBar(LastInput);
    Place();
    update();
}

void TTimeBar::Place() {
    const QRect strip = StripRect();
    const QFontMetrics metrics(font());
    auto put = [&](QLabel* label, int x, int y) {
        label->adjustSize();
        label->move(x, y);
    };
    const int valueY = strip.top() + (strip.height() - metrics.height()) / 2;
    put(LabelStart, 4, valueY);
    put(LabelStartValue, 4 + metrics.horizontalAdvance("Start") + 4, valueY);
    LabelStop->adjustSize();
    put(LabelStop, width() - 4 - LabelStop->width(), valueY);
    LabelUnit->adjustSize();
    put(LabelUnit, LabelStop->x() - 6 - LabelUnit->width(), valueY);
    LabelStopValue->adjustSize();
    put(LabelStopValue, LabelUnit->x() - 3 - LabelStopValue->width(), valueY);
    auto centred = [&](QLabel* label, int x) {
        label->adjustSize();
        label->move(strip.left() + x - label->width() / 2, 0);
    };
    const bool valid = Current.SpanValid;
    LabelViewStart->setVisible(valid && Current.ShowView);
    LabelViewStop->setVisible(valid && Current.ShowView);
    LabelNow->setVisible(valid && Current.ShowNow);
    centred(LabelViewStart, Current.ViewStartX);
    centred(LabelViewStop, Current.ViewStopX);
    centred(LabelNow, Current.NowX);
    LabelCurrentTime->setVisible(valid && Current.ShowCurrentLabel);
    LabelCurrentTime->adjustSize();
    // Kept between the start label and the stop label.
    const int lowest = LabelStart->x() + LabelStart->width();
    const int highest = std::max(lowest, strip.right() - LabelCurrentTime->width());
    const int x = std::clamp(strip.left() + Current.CurrentX - LabelCurrentTime->width() / 2,
                             lowest, highest);
    LabelCurrentTime->move(x, strip.bottom() - metrics.height() + 2);
}

void TTimeBar::paintEvent(QPaintEvent*) {
    if (!HasTimes) return;
    QPainter painter(this);
    const QRect strip = StripRect();
    if (strip.width() <= 2 || strip.height() <= 2) return;
    painter.fillRect(strip, palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(strip.adjusted(0, 0, -1, -1));
    if (!Current.SpanValid) return;
    if (Current.ShowProgress && Current.ProgressWidth > 0)
        painter.fillRect(
            QRect(strip.left() + 1, strip.top() + 1, Current.ProgressWidth, strip.height() - 2),
            QColor(80, 140, 220));
    if (Current.ShowView) {
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(QRect(strip.left() + Current.FrameLeft, strip.top() + 2,
                               std::max(0, Current.FrameRight - Current.FrameLeft),
                               strip.height() - 5));
    }
    if (Current.ShowNow) {
        painter.setPen(QPen(Qt::red, 1));
        painter.drawLine(strip.left() + Current.NowX, strip.top(), strip.left() + Current.NowX,
                         strip.bottom());
    }
}

void TTimeBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The layout depends on the strip's width: recompute from the times last shown.
    if (HasTimes) Relayout();
}

bool TTimeBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        emit DoubleClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TTimeBar::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    emit DoubleClicked();
}
