// quorvane-cli render: formats, arguments, safety, and the examples against reference renders.
#include "support/PixelKit.h"
#include "support/TempDir.h"

#include "cli/CliCommands.h"
#include "cli/CliTestSupport.h"
#include "document/diagram/DrawingObjects.h"
#include "document/model/DataFile.h"

#include <QtGui/QImage>
#include <gtest/gtest.h>
#include <sstream>

namespace {

fs::path ReferenceFolder() {
    return fs::path(__FILE__).parent_path() / "reference";
}

TEST(RenderCommand, WritesEachFormatWithItsSignature) {
    TTempDir folder;
    const std::string model = (ExamplesFolder() / "customer_growth.qvf").string();
    struct TCase {
        const char* File;
        const char* Signature;
    } cases[] = {{"a.png", "\x89PNG"}, {"a.svg", "<?xml"}, {"A.PDF", "%PDF"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        const fs::path out = folder.Path / c.File;
        const TCliResult result = Cli({"render", model, out.string(), "--run"});
        ASSERT_EQ(result.Status, csSuccess) << result.Err;
        EXPECT_EQ(ReadWholeFile(out).rfind(c.Signature, 0), 0u);
    }
    // SVG keeps the labels as text that a reader can search.
    const std::string svg = ReadWholeFile(folder.Path / "a.svg");
    EXPECT_NE(svg.find("Potential Customers"), std::string::npos);
    EXPECT_NE(svg.find("<text"), std::string::npos);
}

TEST(RenderCommand, ZoomScalesThePicture) {
    TTempDir folder;
    const std::string model = (ExamplesFolder() / "investment.qvf").string();
    ASSERT_EQ(Cli({"render", model, (folder.Path / "a.png").string()}).Status, csSuccess);
    ASSERT_EQ(Cli({"render", model, (folder.Path / "b.png").string(), "--zoom=50"}).Status,
              csSuccess);
    const QImage full(QString::fromStdString((folder.Path / "a.png").string()));
    const QImage half(QString::fromStdString((folder.Path / "b.png").string()));
    ASSERT_FALSE(full.isNull());
    ASSERT_FALSE(half.isNull());
    EXPECT_NEAR(half.width(), full.width() / 2, 2);
    EXPECT_NEAR(half.height(), full.height() / 2, 2);
    EXPECT_GT(Ink(half), 0);
}

TEST(RenderCommand, RefusesBadArgumentsAndKeepsExistingFiles) {
    TTempDir folder;
    const std::string model = (ExamplesFolder() / "investment.qvf").string();
    const fs::path existing = folder.Path / "keep.png";
    WriteWholeFile(existing, "old picture");
    const fs::path badModel = folder.Path / "bad.qvf";
    WriteWholeFile(badModel, "Quorvane\r\nnot a model\r\n");
    struct TCase {
        std::vector<std::string> Args;
        int Status;
        const char* Message;
    } cases[] = {
        {{"render", model}, csBadUsage, "needs a model file and an image file"},
        {{"render", model, existing.string(), "extra"}, csBadUsage, "too many arguments"},
        {{"render", model, (folder.Path / "a.bmp").string()}, csBadUsage, ".png, .svg or .pdf"},
        {{"render", model, existing.string(), "--zoom", "5"}, csBadUsage, "from 10 to 1000"},
        {{"render", model, existing.string(), "--zoom", "abc"}, csBadUsage, "from 10 to 1000"},
        {{"render", model, existing.string(), "--zoom"}, csBadUsage, "needs a value"},
        {{"render", model, existing.string(), "--colour"}, csBadUsage, "unknown option"},
        {{"render", (folder.Path / "none.qvf").string(), existing.string()},
         csFileError,
         "does not exist"},
        {{"render", badModel.string(), existing.string()}, csFileError, "corrupt"},
        {{"render", model, (folder.Path / "no" / "such" / "a.png").string()},
         csFileError,
         "couldn't write"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Args.back());
        const TCliResult result = Cli(c.Args);
        EXPECT_EQ(result.Status, c.Status);
        EXPECT_NE(result.Err.find(c.Message), std::string::npos) << result.Err;
    }
    EXPECT_EQ(ReadWholeFile(existing), "old picture");
}

TEST(RenderCommand, RefusesAPictureTooLargeToWrite) {
    // A diagram spread over a huge area must not allocate gigabytes.
    TTempDir folder;
    std::string message;
    auto document =
        TDataFile::LoadModelFile((ExamplesFolder() / "investment.qvf").string(), message);
    ASSERT_TRUE(document) << message;
    document->Image().Elements[0]->Position = {200000, 200000};
    std::ostringstream err;
    const fs::path out = folder.Path / "huge.png";
    EXPECT_EQ(RenderDiagramFile(*document, out.string(), ifPng, 100, err), csBadUsage);
    EXPECT_NE(err.str().find("use a smaller --zoom"), std::string::npos);
    EXPECT_FALSE(fs::exists(out));
}

TEST(RenderCommand, ARunWithModelErrorsPaintsNothing) {
    TTempDir folder;
    std::string message;
    auto document =
        TDataFile::LoadModelFile((ExamplesFolder() / "investment.qvf").string(), message);
    ASSERT_TRUE(document) << message;
    document->Simulation->Variables[0]->Equation = "1 +";
    document->SaveToFile((folder.Path / "broken.qvf").string(), false);
    const fs::path out = folder.Path / "broken.png";
    const TCliResult result =
        Cli({"render", (folder.Path / "broken.qvf").string(), out.string(), "--run"});
    EXPECT_EQ(result.Status, csModelErrors);
    EXPECT_NE(result.Err.find("cannot simulate"), std::string::npos);
    EXPECT_FALSE(fs::exists(out));
}

// Reference renders of the examples after a run. When the painting changes on purpose,
// regenerate them with `make reference-renders` and look at the new pictures before
// committing them.
TEST(RenderCommand, ExamplesMatchTheirReferenceRenders) {
    TTempDir folder;
    for (const fs::path& model : ExampleFiles()) {
        const std::string name = model.stem().string();
        SCOPED_TRACE(name);
        const fs::path out = folder.Path / (name + ".png");
        const TCliResult result = Cli({"render", model.string(), out.string(), "--run"});
        ASSERT_EQ(result.Status, csSuccess) << result.Err;
        const QImage actual(QString::fromStdString(out.string()));
        const QImage expected(
            QString::fromStdString((ReferenceFolder() / (name + ".png")).string()));
        ASSERT_FALSE(expected.isNull()) << "no reference render for " << name;
        ASSERT_EQ(actual.size(), expected.size());
        const QImage a = actual.convertToFormat(QImage::Format_RGB32);
        const QImage b = expected.convertToFormat(QImage::Format_RGB32);
        // Text rendering may differ by a few edge pixels between font versions; a moved
        // curve, label or shape changes far more than this.
        const int64_t allowed = static_cast<int64_t>(a.width()) * a.height() / 500;
        const int64_t differing = DifferingPixels(a, b);
        if (differing > allowed) {
            const fs::path kept = fs::temp_directory_path() / ("quorvane-render-" + name + ".png");
            fs::copy_file(out, kept, fs::copy_options::overwrite_existing);
            ADD_FAILURE() << differing << " pixels differ (at most " << allowed
                          << " allowed); the new render is kept at " << kept;
        }
    }
}

} // namespace
