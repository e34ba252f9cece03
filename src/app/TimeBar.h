#pragma once
// The time bar beside the run buttons: start and stop, the run's progress, the view window,
// Now and the current time. Double-clicking any part of it asks for the Time Settings.

#include "app/MainRules.h"

#include <QLabel>
#include <QWidget>

class TSimulationObject;

class TTimeBar : public QWidget {
    Q_OBJECT
public:
    explicit TTimeBar(QWidget* parent = nullptr);

    // Shows simulation's times; none hides the bar.
    void UpdateFrom(const TSimulationObject* simulation);

    const TTimeBarLayout& Layout() const { return Current; }
    QRect StripRect() const;

    QLabel* LabelStart;
    QLabel* LabelStartValue;
    QLabel* LabelStopValue;
    QLabel* LabelUnit;
    QLabel* LabelStop;
    QLabel* LabelViewStart;
    QLabel* LabelNow;
    QLabel* LabelViewStop;
    QLabel* LabelCurrentTime;

signals:
    void DoubleClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QSize sizeHint() const override { return {640, minimumHeight()}; }

private:
    void Place();
    void Relayout();
    TTimeBarInput LastInput{};
    QLabel* MakeLabel(const char* name, const QString& text);
    TTimeBarLayout Current;
    bool HasTimes = false;
    double ViewStartTime = 0, ViewStopTime = 0, NowTime = 0;
};
