// Page Setup, Properties and printing the diagram through the hooks: to PDF, with the
// progress window, its Cancel and a model replaced while pages are made.
#include "app/MainFormFixture.h"
#include "app/dialogs/Properties.h"
#include "app/print/MainReport.h"
#include "app/print/PageSetup.h"
#include "app/print/PrintCommands.h"
#include "app/widgets/NumberEdit.h"
#include "document/output/PrintLayout.h"
#include "document/output/TableDrawing.h"
#include "support/DiagramBuilder.h"
#include "support/PixelKit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace {

// Pages of a PDF file: its page objects, not the page tree.
int PdfPageCount(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = file.readAll();
    return static_cast<int>(
        QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page(?![s])")));
}

// Whether anything is painted in the report page's footer band.
bool FooterPainted(int page) {
    TMainReportView& report = MainReport();
    const QSizeF paper = report.PageLayout().fullRect(QPageLayout::Millimeter).size();
    const double k = 96 / 25.4;
    QImage image =
        WhiteImage(static_cast<int>(paper.width() * k), static_cast<int>(paper.height() * k));
    {
        QPainter painter(&image);
        report.PaintPage(painter, page, paper);
    }
    const QRectF footer = ReportBands(paper).Footer;
    const QRect band(static_cast<int>(footer.left() * k), static_cast<int>(footer.top() * k),
                     static_cast<int>(footer.width() * k), static_cast<int>(footer.height() * k));
    return CountWhere(image, band, [](QRgb c) { return !SameColour(c, White); }) > 0;
}

} // namespace

// A picture half as wide and high as its page fills the top left quarter of the detail band
// on paper of any resolution.
TEST(MainReportTest, PicturesFillTheirBandAtAnyResolution) {
    TMainReportView report;
    report.SetPaper(9, 1);
    const TPageArea page = ReportImageArea(9, 1);
    {
        QPainter canvas(&report.AddPageImage(0, 0, page.Width, page.Height));
        canvas.fillRect(0, 0, page.Width / 2, page.Height / 2, Qt::black);
    }
    const QSizeF paper = report.PageLayout().fullRect(QPageLayout::Millimeter).size();
    const QRectF band = ReportBands(paper).Detail;
    for (int dpi : {72, 96, 150, 300}) {
        SCOPED_TRACE(dpi);
        const double k = dpi / 25.4;
        QImage image =
            WhiteImage(static_cast<int>(paper.width() * k), static_cast<int>(paper.height() * k));
        image.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
        image.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
        {
            QPainter painter(&image);
            report.PaintPage(painter, 0, paper);
        }
        auto at = [&](double fx, double fy) {
            return image.pixel(static_cast<int>((band.left() + fx * band.width()) * k),
                               static_cast<int>((band.top() + fy * band.height()) * k));
        };
        EXPECT_TRUE(SameColour(at(0.02, 0.02), qRgb(0, 0, 0)));
        EXPECT_TRUE(SameColour(at(0.45, 0.45), qRgb(0, 0, 0)));
        EXPECT_TRUE(SameColour(at(0.55, 0.55), White));
        EXPECT_TRUE(SameColour(at(0.98, 0.98), White));
    }
}

class PrintTest : public MainFormTest {
protected:
    // A model whose diagram runs from near the origin to about (right, bottom), with the
    // given page set-up.
    std::string WriteDiagram(const std::string& name, int32_t right, int32_t bottom,
                             float scale = 100, const std::string& notes = "") {
        TSimulationObject* keep = CurrentSimulation;
        {
            TDataFile document;
            TDiagramBuilder diagram(document);
            TVariableObject* start = diagram.Element(ekConstant, "Start", "1", 60, 60);
            TVariableObject* end = diagram.Element(ekVariable, "End", "Start", right, bottom);
            diagram.DrawnLink(start, end);
            document.Image().PrintScale = scale;
            document.Notes = notes;
            document.SaveToFile(Temp / name, false);
        }
        CurrentSimulation = keep;
        return Temp / name;
    }

    TDrawImage& Image() { return Form->ActiveDocument()->Image(); }

    // Answers the printer dialog by printing to a PDF file.
    void PrintTo(const QString& pdf) {
        Hooks.OnDialog = [pdf](QDialog& dialog) {
            auto* print = qobject_cast<QPrintDialog*>(&dialog);
            ASSERT_NE(print, nullptr) << dialog.windowTitle().toStdString();
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(pdf);
            dialog.done(QDialog::Accepted);
        };
    }
};

TEST_F(PrintTest, PrintAndPdfMakeOnePagePerTileWithNumberingOnlyForSeveral) {
    Start();
    EXPECT_FALSE(Form->ActionPrint->isEnabled()); // an empty drawing has nothing to print
    EXPECT_FALSE(Form->ActionExportPdf->isEnabled());
    struct TCase {
        float Scale;
        int Pages;
    };
    // A4 landscape holds 971 x 657 units at 100 %.
    for (const TCase& c : {TCase{100, 6}, TCase{25, 1}, TCase{300, 35}}) {
        SCOPED_TRACE(c.Scale);
        Form->LoadModel(Q(WriteDiagram("wide.qvf", 2000, 1000, c.Scale)), false);
        ASSERT_TRUE(Form->ActionPrint->isEnabled());
        ASSERT_TRUE(Form->ActionExportPdf->isEnabled());
        const TDrawingTiles tiles = UpdatePageTiles(Image());
        ASSERT_EQ(tiles.Tiling.Pages(), c.Pages);

        const QString printed = Q(Temp / "printed.pdf");
        PrintTo(printed);
        Form->ActionPrint->trigger();
        EXPECT_EQ(PdfPageCount(printed), c.Pages);
        EXPECT_EQ(MainReport().PageCount(), c.Pages);
        for (int page : {0, c.Pages - 1})
            EXPECT_EQ(FooterPainted(page), c.Pages > 1) << page;

        const QString exported = Q(Temp / "exported.pdf");
        Hooks.FileNames.push_back(exported);
        Form->ActionExportPdf->trigger();
        EXPECT_EQ(PdfPageCount(exported), c.Pages);
        ASSERT_EQ(Hooks.Requests.size(), 1u);
        EXPECT_EQ(Hooks.Requests.back().StartName, Q(Temp / "wide.pdf"));
        Hooks.Requests.clear();
        QFile::remove(printed);
        QFile::remove(exported);
        // Printing changes no setting a user made.
        EXPECT_FALSE(Form->ActiveDocument()->IsModified);
    }

    // A cancelled printer dialog prints nothing.
    const QString cancelled = Q(Temp / "cancelled.pdf");
    Hooks.OnDialog = [cancelled](QDialog& dialog) {
        auto& print = dynamic_cast<QPrintDialog&>(dialog);
        print.printer()->setOutputFormat(QPrinter::PdfFormat);
        print.printer()->setOutputFileName(cancelled);
        dialog.done(QDialog::Rejected);
    };
    Form->ActionPrint->trigger();
    EXPECT_FALSE(QFile::exists(cancelled));

    // A PDF that cannot be written is reported, not passed over.
    Hooks.FileNames.push_back(Q(Temp / "no such folder/x.pdf"));
    Form->ActionExportPdf->trigger();
    const QStringList messages = TakeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("The file \"" + Q(Temp / "no such folder/x.pdf")))
        << messages[0].toStdString();
}

TEST_F(PrintTest, PreparingReportIsModalAndStopsOnCancelOrAReplacedModel) {
    Start();
    struct TCase {
        const char* Name;
        std::function<void(QWidget*)> During; // done while the first page is made
        bool Replaced;
    };
    QString modalTitle;
    const TCase cases[] = {
        {"Cancel", [](QWidget* modal) { modal->findChild<QPushButton*>("ButtonCancel")->click(); },
         false},
        {"close box", [](QWidget* modal) { modal->close(); }, false},
        {"New", [&](QWidget*) { Form->NewModel(); }, true},
        {"Undo",
         [&](QWidget*) {
             Form->ActiveDocument()->PushUndo();
             Form->ActiveDocument()->Undo();
         },
         false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Form->LoadModel(Q(WriteDiagram("wide.qvf", 2000, 1000)), false);
        TDataFile* before = Form->ActiveDocument();
        modalTitle.clear();
        QTimer::singleShot(0, Form.get(), [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            modalTitle = modal->windowTitle();
            c.During(modal);
        });
        // No printer dialog may follow: the default hooks fail the test when one opens.
        Hooks.OnDialog = nullptr;
        Form->ActionPrint->trigger();
        EXPECT_EQ(modalTitle, "Preparing Report");
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(MainReport().PageCount(), 1);
        EXPECT_EQ(Form->ActiveDocument() != before, c.Replaced);
    }

    // A print of too many pages is refused before any is made.
    Form->LoadModel(Q(WriteDiagram("huge.qvf", 60000, 40000, 1000)), false);
    Form->ActionPrintPreview->trigger();
    ASSERT_EQ(TakeMessages().size(), 1);
    EXPECT_EQ(MainReport().PageCount(), 1);
}

TEST_F(PrintTest, PageSetupRefusesBadEntriesStoresFieldsAndMarksOnlyChanges) {
    Start();
    constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
    for (float stored : {0.0f, NaN, -5.0f, 1e9f}) {
        SCOPED_TRACE(stored);
        Form->LoadModel(Q(WriteDiagram("setup.qvf", 2000, 1000, stored)), false);
        Image().PaperSize = 20;
        Image().PagesWide = -3;
        const size_t undo = Form->ActiveDocument()->UndoStack.size();
        Hooks.OnDialog = [&](QDialog& dialog) {
            auto& setup = dynamic_cast<TFormPageSetup&>(dialog);
            EXPECT_EQ(setup.windowTitle(), "Page Setup");
            EXPECT_EQ(setup.EditScale->text(), "100");
            EXPECT_EQ(setup.ComboBoxPaperSize->currentText(), "Default");
            EXPECT_EQ(setup.EditPagesWide->text(), "0");
            EXPECT_TRUE(setup.RadioButtonAdjust->isChecked());
            EXPECT_TRUE(setup.RadioButtonLandscape->isChecked());
            struct TEntry {
                const char* Scale;
                const char* Message;
            };
            for (const TEntry& e : {TEntry{"0", "The scale must be greater than 0"},
                                    TEntry{"-20", "The scale must be greater than 0"},
                                    TEntry{"", "The scale must be greater than 0"},
                                    TEntry{"1001", "The scale must not be more than 1000"}}) {
                setup.EditScale->clear();
                QTest::keyClicks(setup.EditScale, e.Scale);
                setup.ButtonOK->click();
                EXPECT_EQ(TakeMessages(), QStringList{e.Message}) << e.Scale;
                EXPECT_EQ(setup.result(), QDialog::Rejected);
            }
            // With "Fit to:" the percentage does not matter; typing a count chooses it.
            QTest::keyClicks(setup.EditPagesTall, "2");
            EXPECT_TRUE(setup.RadioButtonFit->isChecked());
            setup.RadioButtonPortrait->setChecked(true);
            setup.ComboBoxPaperSize->setCurrentIndex(8);
            setup.CheckBoxShowPageBreaks->setChecked(true);
            setup.ButtonOK->click();
            EXPECT_TRUE(TakeMessages().isEmpty());
            EXPECT_EQ(setup.result(), QDialog::Accepted);
        };
        Form->ActionPrintSetup->trigger();
        const TDrawImage& image = Image();
        EXPECT_EQ(image.Orientation, 0);
        EXPECT_EQ(image.PaperSize, 8); // A3
        EXPECT_TRUE(image.FitToPages);
        EXPECT_EQ(image.PagesWide, 0);
        EXPECT_EQ(image.PagesTall, 12); // "1" shown, "2" typed after it
        EXPECT_TRUE(image.ShowPageBreaks);
        EXPECT_TRUE(std::isfinite(image.PrintScale) && image.PrintScale > 0);
        EXPECT_GT(image.PageWidth, 0); // the tiles for the page breaks are computed at OK
        EXPECT_TRUE(Form->ActiveDocument()->IsModified);
        EXPECT_EQ(Form->ActiveDocument()->UndoStack.size(), undo + 1);
        EXPECT_TRUE(Form->ActionUndo->isEnabled());
    }

    // OK without a change leaves the model unmodified and adds no undo step; Undo takes a
    // change back.
    Form->ActiveDocument()->IsModified = false;
    const size_t undo = Form->ActiveDocument()->UndoStack.size();
    Hooks.OnDialog = [](QDialog& dialog) {
        dynamic_cast<TFormPageSetup&>(dialog).ButtonOK->click();
    };
    Form->ActionPrintSetup->trigger();
    EXPECT_FALSE(Form->ActiveDocument()->IsModified);
    EXPECT_EQ(Form->ActiveDocument()->UndoStack.size(), undo);
    Form->ActionUndo->trigger();
    EXPECT_EQ(Image().PaperSize, 20);
    EXPECT_EQ(Image().Orientation, 1);

    // "Print Preview" stores as OK does and shows the preview.
    QString preview;
    Hooks.OnDialog = [&](QDialog& dialog) {
        if (auto* setup = dynamic_cast<TFormPageSetup*>(&dialog)) {
            setup->EditScale->clear();
            QTest::keyClicks(setup->EditScale, "50");
            setup->ButtonPreview->click();
            return;
        }
        preview = dialog.windowTitle();
        dialog.done(QDialog::Rejected);
    };
    Form->ActionPrintSetup->trigger();
    EXPECT_EQ(preview, "Report Preview");
    EXPECT_FLOAT_EQ(Image().PrintScale, 50);
    EXPECT_FALSE(Image().FitToPages);
}

TEST_F(PrintTest, PropertiesStoreWhatChangedAndNotesSurviveSaveAndReload) {
    Start();
    const std::string file = WriteDiagram("props.qvf", 300, 200, 100, "first\r\nsecond");
    Form->LoadModel(Q(file), false);
    TDataFile& document = *Form->ActiveDocument();
    document.Title = "Plan";
    document.Author = "Ann";
    ASSERT_TRUE(Form->ActionProperties->isEnabled());

    // OK without an edit, and an edit typed back to what it was, change nothing.
    for (bool retype : {false, true}) {
        Hooks.OnDialog = [retype](QDialog& dialog) {
            auto& properties = dynamic_cast<TFormProperties&>(dialog);
            EXPECT_EQ(properties.LabelFileName->text(), "props.qvf");
            EXPECT_EQ(properties.EditTitle->text(), "Plan");
            EXPECT_EQ(properties.MemoNotes->toPlainText(), "first\nsecond");
            if (retype) {
                properties.EditAuthor->clear();
                QTest::keyClicks(properties.EditAuthor, "Ann");
                EXPECT_TRUE(properties.Changed);
            }
            dialog.accept();
        };
        Form->ActionProperties->trigger();
        EXPECT_FALSE(document.IsModified);
        EXPECT_EQ(document.Notes, "first\r\nsecond");
    }

    const std::string notes = "Line one\nLine two\n\n  indented 'quoted'\ttab";
    Hooks.OnDialog = [&notes](QDialog& dialog) {
        auto& properties = dynamic_cast<TFormProperties&>(dialog);
        QTest::keyClicks(properties.EditCompany, "Acme");
        properties.MemoNotes->setPlainText(Q(notes));
        dialog.accept();
    };
    Form->ActionProperties->trigger();
    EXPECT_TRUE(document.IsModified);
    EXPECT_EQ(document.Title, "Plan");
    EXPECT_EQ(document.Author, "Ann");
    EXPECT_EQ(document.Company, "Acme");

    // Cancel after edits changes nothing.
    document.IsModified = false;
    Hooks.OnDialog = [](QDialog& dialog) {
        QTest::keyClicks(dynamic_cast<TFormProperties&>(dialog).EditTitle, " B");
        dialog.reject();
    };
    Form->ActionProperties->trigger();
    EXPECT_EQ(document.Title, "Plan");
    EXPECT_FALSE(document.IsModified);

    document.SaveToFile(Temp / "props.qvf");
    std::string message;
    auto reloaded = TDataFile::LoadModelFile(Temp / "props.qvf", message);
    ASSERT_TRUE(reloaded) << message;
    EXPECT_EQ(document.Notes, "Line one\r\nLine two\r\n\r\n  indented 'quoted'\ttab");
    EXPECT_EQ(reloaded->Notes, document.Notes);
    EXPECT_EQ(reloaded->Company, "Acme");
    CurrentSimulation = Form->ActiveSimulation();
}

namespace {

// The text of a PDF file as a reader would copy it.
QString PdfText(const QString& fileName) {
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", fileName, "-"});
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext (poppler-utils, installed by make bootstrap) failed on "
                      << fileName.toStdString();
        return {};
    }
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

// Every simulated value of the model, element by element.
std::vector<std::vector<double>> SimulatedValues(const TSimulationObject& model) {
    std::vector<std::vector<double>> values;
    for (const TVariableObject* element : model.Variables) {
        values.emplace_back();
        for (const auto& point : element->Simulated.Points)
            values.back().push_back(point.Value);
    }
    return values;
}

} // namespace

TEST_F(PrintTest, AFinishedRunPrintsWithItsResults) {
    Start();
    Form->LoadModel(Q((ExamplesFolder() / "customer_growth.qvf").string()), false);
    Form->RunToEndCommand();
    while (Form->TimerSimulation->isActive())
        Form->TimerSimulationTimer();
    ASSERT_TRUE(Form->ActiveDocument()->Simulation->IsFinished());
    ASSERT_TRUE(Form->ActionExportPdf->isEnabled());
    TTableInstance* table = nullptr;
    for (TOutputControlInstance* control : Image().OutputControls)
        if (!table) table = dynamic_cast<TTableInstance*>(control);
    ASSERT_NE(table, nullptr);
    // The diagram's table ends with the row of the stop time.
    const TTableGridReader grid(*table);
    const int64_t last = grid.RowCount() - 1;
    ASSERT_EQ(grid.Cell(last, 0), "36.000");

    const QString pdf = Q(Temp / "finished.pdf");
    Hooks.FileNames.push_back(pdf);
    Form->ActionExportPdf->trigger();
    const QString text = PdfText(pdf);
    QString lastRow;
    for (const QString& line : text.split('\n'))
        if (line.trimmed().startsWith("36.000 ")) lastRow = line.simplified();
    QStringList expected;
    for (int c = 0; c < grid.ColumnCount(); ++c)
        expected << Q(grid.Cell(last, c));
    EXPECT_EQ(lastRow, expected.join(' ')) << text.toStdString();
    EXPECT_FALSE(Form->ActiveDocument()->IsModified);
}

TEST_F(PrintTest, PrintingAPausedRunLeavesTheRunAsItWas) {
    Start();
    const QString model = Q((ExamplesFolder() / "customer_growth.qvf").string());
    auto runToEnd = [this] {
        Form->RunToEndCommand();
        while (Form->TimerSimulation->isActive())
            Form->TimerSimulationTimer();
        return SimulatedValues(*Form->ActiveDocument()->Simulation);
    };
    Form->LoadModel(model, false);
    const auto unprinted = runToEnd();

    Form->LoadModel(model, false);
    Form->ActiveDocument()->Simulation->RunStepInterval = 20;
    Form->RunStep();
    Form->RunStep();
    ASSERT_DOUBLE_EQ(Form->ActiveDocument()->Simulation->CurrentTime, 10);
    ASSERT_TRUE(Form->ActionPrint->isEnabled());
    const QString printed = Q(Temp / "printed.pdf");
    PrintTo(printed);
    Form->ActionPrint->trigger();
    Hooks.FileNames.push_back(Q(Temp / "exported.pdf"));
    Form->ActionExportPdf->trigger();
    // A page set-up made meanwhile is an edit of its own.
    Hooks.OnDialog = [](QDialog& dialog) {
        auto& setup = dynamic_cast<TFormPageSetup&>(dialog);
        setup.RadioButtonPortrait->setChecked(true);
        setup.ButtonOK->click();
    };
    Form->ActionPrintSetup->trigger();
    EXPECT_EQ(Image().Orientation, 0);
    // The table's rows run every 3 months: up to the paused time and no further.
    const QString text = PdfText(printed);
    EXPECT_TRUE(text.contains(QRegularExpression("\\s9\\.000\\s"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QRegularExpression("\\s12\\.000\\s"))) << text.toStdString();
    EXPECT_TRUE(Form->ActiveDocument()->Simulation->Paused);
    EXPECT_DOUBLE_EQ(Form->ActiveDocument()->Simulation->CurrentTime, 10);
    EXPECT_EQ(runToEnd(), unprinted);
    // Undone after the run, the set-up goes and no half run comes back with it.
    Form->StopReset();
    Form->ActionUndo->trigger();
    EXPECT_EQ(Image().Orientation, 1);
    for (const auto& values : SimulatedValues(*Form->ActiveDocument()->Simulation))
        EXPECT_TRUE(values.empty());
    EXPECT_TRUE(TakeMessages().isEmpty());
}
