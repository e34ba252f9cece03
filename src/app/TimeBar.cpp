#include "app/TimeBar.h"

#include "app/Utilities.h"
#include "core/model/SimulationObjects.h"
#include "core/support/NumberFormat.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
// Three rows: the view and Now labels above the strip; the start value, the strip, the stop
// value and unit; below the strip "Start" and "Stop" at its ends with the current time
// between them.
constexpr int LabelRow = 14;
constexpr int StripTop = LabelRow + 2;
constexpr int StripHeight = 14;
constexpr int BottomRow = StripTop + StripHeight + 1;
constexpr int BarHeight = BottomRow + LabelRow + 1;
constexpr int UnitMargin = 3; // the unit's distance from the right edge
constexpr int Gap = 4;
} // namespace

TTimeBar::TTimeBar(QWidget* parent) : QWidget(parent) {
    setObjectName("TimeBar");
    setAccessibleName("Time bar");
    setMinimumWidth(360);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(BarHeight);
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
    const QFontMetrics metrics(font());
    // The start value on the left, the stop value and the unit on the right; "Start" and
    // "Stop" are centred below the strip's ends, so half of each must fit beside it.
    const int left = Gap + std::max(metrics.horizontalAdvance(LabelStartValue->text()) + Gap,
                                    metrics.horizontalAdvance(LabelStart->text()) / 2);
    const int right = width() - UnitMargin -
                      std::max(metrics.horizontalAdvance(LabelUnit->text()) + Gap +
                                   metrics.horizontalAdvance(LabelStopValue->text()) + 2,
                               metrics.horizontalAdvance(LabelStop->text()) / 2);
    return QRect(left, StripTop, std::max(0, right - left), StripHeight);
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
    const int stripRowY = strip.top() + (strip.height() - metrics.height()) / 2;
    auto put = [&](QLabel* label, int x, int y) {
        label->adjustSize();
        label->move(x, y);
    };
    // Centred on x from the strip's left, but never cut by the bar's edges.
    auto centred = [&](QLabel* label, int x, int y) {
        label->adjustSize();
        const int left = strip.left() + x - label->width() / 2;
        label->move(std::clamp(left, 0, std::max(0, width() - label->width())), y);
    };
    LabelStartValue->adjustSize();
    put(LabelStartValue, strip.left() - Gap - LabelStartValue->width(), stripRowY);
    LabelUnit->adjustSize();
    put(LabelUnit, width() - UnitMargin - LabelUnit->width(), stripRowY);
    put(LabelStopValue, strip.right() + 1 + 2, stripRowY);
    centred(LabelStart, 0, BottomRow);
    centred(LabelStop, strip.width(), BottomRow);
    const bool valid = Current.SpanValid;
    LabelViewStart->setVisible(valid && Current.ShowView);
    LabelViewStop->setVisible(valid && Current.ShowView);
    LabelNow->setVisible(valid && Current.ShowNow);
    centred(LabelViewStart, Current.ViewStartX, 0);
    centred(LabelViewStop, Current.ViewStopX, 0);
    centred(LabelNow, Current.NowX, 0);
    LabelCurrentTime->setVisible(valid && Current.ShowCurrentLabel);
    LabelCurrentTime->adjustSize();
    // Under the progress position, kept clear of the start value and "Start" on its left and
    // of "Stop" on its right.
    const int lowest =
        std::max(LabelStartValue->geometry().right(), LabelStart->geometry().right()) + Gap;
    const int highest = std::max(lowest, LabelStop->x() - Gap - LabelCurrentTime->width());
    const int x = std::clamp(strip.left() + Current.CurrentX - LabelCurrentTime->width() / 2,
                             lowest, highest);
    LabelCurrentTime->move(x, BottomRow);
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
