// Output files of quorvane-cli: complete or absent, and a failure says the system's reason.
#include "support/TempDir.h"

#include "cli/CliTestSupport.h"
#include "cli/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

namespace {

std::set<std::string> FolderListing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

} // namespace

// The tests run as root, for whom permissions do not stop a write; a parent folder that is
// a file, a folder in the way, and /dev/full behind a link fail for root too.
TEST(CliOutput, AFailedWriteLeavesNothingBehindAndSaysWhy) {
    TTempDir folder;
    const std::string model = (ExamplesFolder() / "investment.qvf").string();
    const std::string plain = folder / "plain";
    WriteWholeFile(plain, "a file, not a folder");
    fs::create_directory(folder.Path / "taken.csv");
    const bool haveFull = fs::exists("/dev/full");
    for (const char* name : {"full.csv", "full.svg", "full.png", "full.pdf"})
        fs::create_symlink("/dev/full", folder.Path / name);
    const std::set<std::string> before = FolderListing(folder.Path);

    struct TCase {
        std::vector<std::string> Args;
        std::string Reason;
        bool NeedsFull = false;
    } cases[] = {
        {{"run", model, "--csv", plain + "/out.csv"}, "Not a directory"},
        {{"run", model, "--csv", folder / "taken.csv"}, "Is a directory"},
        {{"run", model, "--csv", "/dev/full"}, "No space left on device", true},
        {{"run", model, "--csv", folder / "full.csv"}, "No space left on device", true},
        {{"render", model, plain + "/a.png"}, "Not a directory"},
        {{"render", model, folder / "full.svg", "--run"}, "No space left on device", true},
        {{"render", model, folder / "full.png"}, "No space left on device", true},
        {{"render", model, folder / "full.pdf"}, "No space left on device", true},
        // Models are saved by the document, whose reasons follow the locale.
        {{"upgrade", model, plain + "/new.qvf"}, std::strerror(ENOTDIR)},
        {{"make-examples", plain + "/examples"}, std::strerror(ENOTDIR)},
    };
    for (const TCase& c : cases) {
        if (c.NeedsFull && !haveFull) continue;
        SCOPED_TRACE(c.Args[0] + " " + c.Args.back());
        const TCliResult r = Cli(c.Args);
        EXPECT_EQ(r.Status, csFileError);
        EXPECT_EQ(r.Out, "");
        EXPECT_NE(r.Err.find(c.Reason), std::string::npos) << r.Err;
    }
    EXPECT_EQ(FolderListing(folder.Path), before);
    EXPECT_TRUE(fs::is_empty(folder.Path / "taken.csv"));
    EXPECT_EQ(ReadWholeFile(plain), "a file, not a folder");
}

TEST(CliOutput, TheTargetIsReplacedOnlyByACompleteFile) {
    TTempDir folder;
    const fs::path target = folder.Path / "results.csv";
    WriteWholeFile(target, "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(target, folder.Path / "link.csv");
    {
        TOutputFile file(target.string());
        ASSERT_TRUE(file.Open()) << file.Error();
        file.Stream() << "abandoned";
    } // never committed, as after a failed run
    EXPECT_EQ(ReadWholeFile(target), "old");
    EXPECT_EQ(FolderListing(folder.Path), (std::set<std::string>{"link.csv", "results.csv"}));

    // Through the link: the file it points to is replaced, the link and the mode stay.
    TOutputFile file((folder.Path / "link.csv").string());
    ASSERT_TRUE(file.Open()) << file.Error();
    file.Stream() << "new";
    ASSERT_TRUE(file.Commit()) << file.Error();
    EXPECT_EQ(ReadWholeFile(target), "new");
    EXPECT_TRUE(fs::is_symlink(folder.Path / "link.csv"));
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FolderListing(folder.Path), (std::set<std::string>{"link.csv", "results.csv"}));
}
