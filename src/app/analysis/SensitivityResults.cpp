#include "app/analysis/SensitivityResults.h"

#include "app/Utilities.h"
#include "app/print/MainReport.h"
#include "core/analysis/SensitivityCsv.h"
#include "core/support/CsvText.h"
#include "core/support/NumberFormat.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPainter>
#include <QPicture>
#include <QSaveFile>
#include <QVBoxLayout>

#include <sstream>

namespace {

QString Whole(size_t n) {
    return Q(CountText(n));
}

// Refreshes while runs go on are this far apart at least.
constexpr int RefreshMilliseconds = 250;

} // namespace

TBandGraphView::TBandGraphView(QWidget* parent) : QWidget(parent) {
    setObjectName("BandGraph");
    setAccessibleName("Band graph");
    setMinimumSize(480, 300);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TBandGraphView::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    PaintBandGraph(canvas, {0, 0, width(), height()}, Data);
}

TFormSensitivityResults::TFormSensitivityResults(QWidget* parent) : QDialog(parent) {
    setObjectName("FormSensitivityResults");
    setWindowTitle("Sensitivity Results");
    setModal(false);
    ListBoxOutputs = new QListWidget;
    ListBoxOutputs->setObjectName("ListBoxOutputs");
    ListBoxOutputs->setAccessibleName("Outputs");
    ListBoxOutputs->setMaximumWidth(200);
    Graph = new TBandGraphView;
    LabelStatus = new QLabel;
    LabelStatus->setObjectName("LabelStatus");
    auto button = [](const char* name, const QString& caption) {
        auto* made = new QPushButton(caption);
        made->setObjectName(name);
        return made;
    };
    ButtonCopyGrid = button("ButtonCopyGrid", "Copy &Grid");
    ButtonExportCsv = button("ButtonExportCsv", "&Export CSV...");
    ButtonCopyImage = button("ButtonCopyImage", "Copy &Image");
    ButtonPrint = button("ButtonPrint", "&Print...");
    ButtonClose = button("ButtonClose", "Close");

    auto* top = new QHBoxLayout;
    top->addWidget(ListBoxOutputs);
    top->addWidget(Graph, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(LabelStatus, 1);
    for (QPushButton* b :
         {ButtonCopyGrid, ButtonExportCsv, ButtonCopyImage, ButtonPrint, ButtonClose})
        bottom->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);
    resize(900, 540);

    RefreshTimer = new QTimer(this);
    RefreshTimer->setSingleShot(true);
    RefreshTimer->setInterval(RefreshMilliseconds);
    connect(RefreshTimer, &QTimer::timeout, this,
            [this] { RunGuarded([this] { Refresh(); }, this); });
    connect(ListBoxOutputs, &QListWidget::currentRowChanged, this, [this] { Refresh(); });
    auto guarded = [this](void (TFormSensitivityResults::*command)()) {
        return [this, command] { RunGuarded([&] { (this->*command)(); }, this); };
    };
    connect(ButtonCopyGrid, &QPushButton::clicked, this,
            guarded(&TFormSensitivityResults::CopyGrid));
    connect(ButtonExportCsv, &QPushButton::clicked, this,
            guarded(&TFormSensitivityResults::ExportCsv));
    connect(ButtonCopyImage, &QPushButton::clicked, this,
            guarded(&TFormSensitivityResults::CopyImage));
    connect(ButtonPrint, &QPushButton::clicked, this, guarded(&TFormSensitivityResults::Print));
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::close);
    SetSession(nullptr);
}

void TFormSensitivityResults::SetSession(TSensitivitySession* session) {
    Shown = session;
    {
        const QSignalBlocker quiet(ListBoxOutputs);
        const int before = ListBoxOutputs->currentRow();
        ListBoxOutputs->clear();
        if (session)
            for (const std::string& name : session->Plan.OutputNames)
                ListBoxOutputs->addItem(Q(name));
        if (ListBoxOutputs->count() > 0)
            ListBoxOutputs->setCurrentRow(std::clamp(before, 0, ListBoxOutputs->count() - 1));
    }
    Refresh();
}

int TFormSensitivityResults::Output() const {
    return ListBoxOutputs->currentRow();
}

void TFormSensitivityResults::RequestRefresh() {
    ShowStatus();
    if (!RefreshTimer->isActive()) RefreshTimer->start();
}

void TFormSensitivityResults::Refresh() {
    RefreshTimer->stop();
    if (Shown && Output() >= 0)
        Graph->Data = MakeBandGraphData(Shown->Plan, Shown->Results, static_cast<size_t>(Output()),
                                        Shown->TimeUnit);
    else
        Graph->Data = TBandGraphData();
    for (QPushButton* b : {ButtonCopyGrid, ButtonExportCsv, ButtonCopyImage, ButtonPrint})
        b->setEnabled(Shown && !Shown->Running && Output() >= 0);
    ShowStatus();
    Graph->update();
}

void TFormSensitivityResults::ShowStatus() {
    if (!Shown) {
        LabelStatus->setText("No analysis has been run.");
        return;
    }
    const size_t done = Shown->Results.DoneCount(), total = Shown->Plan.Runs;
    QString text;
    if (Shown->Running)
        text = "Running: " + Whole(done) + " of " + Whole(total) + " runs";
    else if (Shown->Cancelled)
        text = "Stopped after " + Whole(done) + " of " + Whole(total) + " runs";
    else
        text = Whole(total) + (total == 1 ? " run" : " runs");
    text += " of " + Q(Shown->ModelName) + ", " + SamplingMethodCaptions[Shown->Method] +
            ", seed " + QString::number(Shown->Seed);
    LabelStatus->setText(text);
}

QString TFormSensitivityResults::GridText() const {
    if (!Shown || Output() < 0) return QString();
    const TBandGraphData& data = Graph->Data;
    QString text = "Time";
    for (const char* statistic : BandStatisticNames)
        text += "\t" + Q(data.Output) + " " + statistic;
    text += "\r\n";
    for (size_t s = 0; s < data.Offsets.size(); ++s) {
        text += Q(ShortestFloatText(data.StartTime + data.Offsets[s]));
        for (const std::vector<double>& statistic : data.Bands.Statistic)
            text += "\t" + Q(ShortestFloatText(statistic[s]));
        text += "\r\n";
    }
    return text;
}

void TFormSensitivityResults::CopyGrid() {
    QGuiApplication::clipboard()->setText(GridText());
}

void TFormSensitivityResults::ExportCsv() {
    if (!Shown) return;
    TFileDialogRequest request;
    request.Caption = "Export CSV";
    request.StartName = Q(Shown->ModelName) + " bands.csv";
    request.Filter = "CSV files (*.csv)";
    request.DefaultSuffix = "csv";
    request.Save = true;
    const QString fileName = Hooks().FileName(this, request);
    if (fileName.isEmpty()) return;
    std::ostringstream csv;
    WriteBandsCsv(Shown->Plan, Shown->Results, csv);
    const std::string text = csv.str();
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit())
        ShowError("The file \"" + fileName + "\" could not be written: " + file.errorString(),
                  this);
}

void TFormSensitivityResults::CopyImage() {
    if (!Shown || Output() < 0) return;
    const TBandGraphData& data = Graph->Data;
    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    const TPictureResult written = WriteBandGraphPicture(data, pfSvg, BandPictureWidth,
                                                         BandPictureHeight, Q(data.Output), svg);
    QImage raster(BandPictureWidth, BandPictureHeight, QImage::Format_RGB32);
    if (!raster.isNull()) {
        QPainter canvas(&raster);
        PaintBandGraph(canvas, {0, 0, BandPictureWidth, BandPictureHeight}, data);
    }
    auto* mime = new QMimeData;
    if (written == prPainted) mime->setData("image/svg+xml", svg.data());
    if (!raster.isNull()) mime->setImageData(raster);
    QGuiApplication::clipboard()->setMimeData(mime);
}

void TFormSensitivityResults::Print() {
    if (!Shown || Output() < 0) return;
    TMainReportView& report = MainReport();
    report.ResetReport();
    report.SetPaper(9, 1); // A4, landscape
    report.SetFontSize(ReportFontSize);
    report.ClearHeader(QString());
    report.Title = "Sensitivity of " + Q(Shown->ModelName);
    // Drawn larger than on screen, then scaled to the page, so that lines stay fine.
    constexpr int Width = 1200, Height = 750;
    QPicture& picture = report.AddPageImage(0, 0, Width, Height);
    {
        QPainter canvas(&picture);
        PaintBandGraph(canvas, {0, 0, Width, Height}, Graph->Data, 1.5);
    }
    report.Print(this);
}
