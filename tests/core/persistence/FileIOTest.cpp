#include "core/persistence/FileIO.h"
#include "core/support/NumberFormat.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

TFileObject& Writer(const std::string& fileName = "") {
    static TFileObject file;
    file.CurrentVersion = "1.0.10.166";
    file.OpenForWrite(fileName, fileName.empty() ? "" : "Quorvane");
    return file;
}

} // namespace

TEST(TokenFile, WritesByteExactText) {
    TTempDir dir;
    TFileObject file;
    file.CurrentVersion = "1.0.10.166";
    std::string name = dir / "m.qvf";
    file.OpenForWrite(name, "Quorvane");
    file.WriteString("it's");
    file.WriteInteger(-42);
    file.EndLine();
    file.WriteFloat(0.1);
    file.WriteFloat(1.0 / 3);
    file.WriteFloat(0.000001);
    file.WriteFloat(2);
    file.WriteFloat(1.5e20);
    file.WriteByte(255);
    file.WriteBoolean(true);
    file.EndLine();
    file.EndLine();
    file.WriteString("");
    ASSERT_TRUE(file.Save(true));
    EXPECT_EQ(ReadWholeFile(name), "Quorvane\t1.0.10.166\r\n"
                                   "\t'it''s'\t-42\r\n"
                                   "\t0.1\t0.333333333333333\t1E-6\t2\t1.5E20\t255\t1\r\n"
                                   "\r\n"
                                   "\t''\r\n");
    EXPECT_TRUE(file.Lines.empty());
    EXPECT_EQ(file.Mode, TFileMode::Writing);
}

TEST(TokenFile, EmptyOpenLineIsStillWritten) {
    TTempDir dir;
    TFileObject file;
    file.CurrentVersion = "1.0.10.166";
    file.OpenForWrite(dir / "e.qvf", "Quorvane");
    file.Save(false);
    EXPECT_EQ(ReadWholeFile(dir / "e.qvf"), "Quorvane\t1.0.10.166\r\n\r\n");
}

TEST(TokenFile, StringsSurviveRoundTrip) {
    struct Case {
        std::string written, read;
    } cases[] = {
        {"it's", "it's"},
        {"", ""},
        {"two\r\nlines", "two\r\nlines"},
        {"lone\rcr", "lone\r\ncr"},
        {"lone\nlf", "lone\r\nlf"},
        {"tab\there, comma and space", "tab\there, comma and space"},
        {"''", "''"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},
    };
    TTempDir dir;
    for (const auto& c : cases) {
        TFileObject file;
        file.CurrentVersion = "1.0.10.166";
        file.OpenForWrite(dir / "s.qvf", "Quorvane");
        file.WriteString(c.written);
        file.WriteInteger(7);
        file.Save(false);
        ASSERT_TRUE(file.OpenForRead(dir / "s.qvf"));
        EXPECT_EQ(file.FileType, "Quorvane");
        EXPECT_EQ(file.FileVersion, "1.0.10.166");
        EXPECT_EQ(file.ReadString(), c.read) << c.written;
        EXPECT_EQ(file.ReadInteger(), 7) << c.written;
        EXPECT_THROW(file.ReadString(), EFileEnd);
    }
}

TEST(TokenFile, ScannerRules) {
    struct Case {
        std::string text; // body after the header line
        std::vector<std::string> tokens;
    } cases[] = {
        {"\ta b,c\r\n", {"a", "b", "c"}},
        {"  ,, \tx\r\n", {"x"}},
        {"\tab'cd ef'g\r\n", {"abcd ef", "g"}},
        {"\t''\t'x'\r\n", {"", "x"}},
        {"\t'a''b'\r\n", {"a'b"}},
        {"\t'multi\r\nline'\r\n", {"multi\r\nline"}},
        // A quote the file never closes is damaged, not a text up to the end.
        {"\ta\t'open\r\n", {"a"}},
        {"\t2)'\r$\t0\r\n", {}},
    };
    for (const auto& c : cases) {
        TFileObject file;
        file.OpenForReadText("T\t1.0\r\n" + c.text);
        for (const auto& expected : c.tokens)
            EXPECT_EQ(file.ReadString(), expected) << c.text;
        EXPECT_THROW(file.ReadString(), EFileEnd) << c.text;
    }
}

TEST(TokenFile, EmptyQuotedStringAtTheEnd) {
    TFileObject file;
    file.OpenForReadText("T\t1\r\n\t''");
    EXPECT_EQ(file.ReadString(), "");
    EXPECT_THROW(file.ReadString(), EFileEnd);
}

TEST(TokenFile, NumbersAndBooleans) {
    TFileObject file;
    file.OpenForReadText(
        "T\t1\r\n\t2\t0\t-1\t12\t-7\t0.5\t1E-6\t1.5E20\t99999999999\tabc\t1e400\r\n");
    EXPECT_TRUE(file.ReadBoolean());
    EXPECT_FALSE(file.ReadBoolean());
    EXPECT_FALSE(file.ReadBoolean());
    EXPECT_EQ(file.ReadInteger(), 12);
    EXPECT_EQ(file.ReadInteger(), -7);
    EXPECT_EQ(file.ReadFloat(), 0.5);
    EXPECT_EQ(file.ReadFloat(), 1e-6);
    EXPECT_EQ(file.ReadFloat(), 1.5e20);
    // Out of range never wraps around.
    EXPECT_THROW(file.ReadInteger(), EConvertError);
    EXPECT_EQ(file.LastToken, "99999999999");
    EXPECT_THROW(file.ReadFloat(), EConvertError);
    EXPECT_THROW(file.ReadFloat(), EConvertError);
}

TEST(TokenFile, HeaderFailures) {
    TTempDir dir;
    TFileObject file;
    EXPECT_FALSE(file.OpenForRead(dir / "missing.qvf"));
    EXPECT_EQ(file.Mode, TFileMode::Closed);

    WriteWholeFile(dir / "one.qvf", "Quorvane\r\n");
    EXPECT_THROW(file.OpenForRead(dir / "one.qvf"), EFileError);

    WriteWholeFile(dir / "empty.qvf", "");
    ASSERT_TRUE(file.OpenForRead(dir / "empty.qvf"));
    EXPECT_EQ(file.FileType, "");
    EXPECT_EQ(file.FileVersion, "");
    EXPECT_THROW(file.ReadInteger(), EConvertError);
}

TEST(TokenFile, ModeMisuseIsRefused) {
    TFileObject file;
    EXPECT_THROW(file.WriteInteger(1), EFileObjectWriteError);
    EXPECT_THROW(file.EndLine(), EFileObjectWriteError);
    EXPECT_THROW(file.Save(true), EFileObjectWriteError);
    EXPECT_THROW(file.ReadString(), EFileObjectReadError);
    try {
        file.ReadInteger();
    } catch (const EFileObjectReadError& e) {
        EXPECT_STREQ(e.what(), "TFileObject Read error");
    }
    file.OpenForWrite("", "");
    EXPECT_THROW(file.ReadString(), EFileObjectReadError);
}

TEST(TokenFile, InMemoryCopyRewinds) {
    TFileObject& file = Writer();
    file.WriteString("a b");
    file.WriteFloat(2.5);
    file.EndLine();
    file.WriteInteger(9); // not closed: dropped by the rewind
    file.RewindForRead();
    EXPECT_EQ(file.ReadString(), "a b");
    EXPECT_EQ(file.ReadFloat(), 2.5);
    EXPECT_THROW(file.ReadInteger(), EFileEnd);
    // An in-memory copy keeps the version it was written with and counts as newest.
    EXPECT_FALSE(file.FileVersionLess("1.0.5", 3));
}

TEST(TokenFile, VersionComparison) {
    struct Case {
        std::string a, b;
        int parts, sign;
    } cases[] = {
        {"1.0.5", "1.0.10", 3, -1},
        {"1.0.10.166", "1.0.10.200", 3, 0},
        {"1.0.10.166", "1.0.10.200", 4, -1},
        {"2", "1.9.9", 3, 1},
        {"1.x.3", "1.0.3", 3, 0},
        {"1.0.0.0.9", "1.0.0.0.1", 4, 0},
        {"", "0.0.0", 3, 0},
        {"1.0.1", "1.0.1", 3, 0},
    };
    for (const auto& c : cases) {
        int r = CompareVersions(c.a, c.b, c.parts);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
    }
    TFileObject file;
    file.CurrentVersion = "1.0.10.166";
    file.OpenForReadText("Quorvane\t1.0.0\r\n\t1\r\n");
    EXPECT_TRUE(file.FileVersionLess("1.0.1", 3));
    EXPECT_TRUE(file.FileVersionLess("", 3));
    file.OpenForReadText("Quorvane\t1.0.10.1\r\n\t1\r\n");
    EXPECT_FALSE(file.FileVersionLess("", 3));
}

TEST(TokenFileSave, BackupRules) {
    TTempDir dir;
    std::string model = dir / "m.qvf", backup = dir / "m.bak";
    auto save = [&](const std::string& value) {
        TFileObject file;
        file.CurrentVersion = "1.0.10.166";
        file.OpenForWrite(model, "Quorvane");
        file.WriteString(value);
        return file.Save(true);
    };
    auto body = [](const std::string& value) {
        return "Quorvane\t1.0.10.166\r\n\t'" + value + "'\r\n";
    };

    ASSERT_TRUE(save("one"));
    EXPECT_FALSE(std::filesystem::exists(backup));
    ASSERT_TRUE(save("two"));
    EXPECT_EQ(ReadWholeFile(backup), body("one"));
    ASSERT_TRUE(save("three"));
    EXPECT_EQ(ReadWholeFile(backup), body("two"));
    EXPECT_EQ(ReadWholeFile(model), body("three"));

    // A read-only backup stays untouched; the model is still replaced.
    MakeReadOnly(backup);
    ASSERT_TRUE(save("four"));
    EXPECT_EQ(ReadWholeFile(backup), body("two"));
    EXPECT_EQ(ReadWholeFile(model), body("four"));

    // A read-only target refuses the save and nothing moves.
    MakeReadOnly(model);
    try {
        save("five");
        FAIL() << "saved over a read-only file";
    } catch (const EFileObjectWriteError& e) {
        EXPECT_STREQ(e.what(), "Couldn't save file as output file exists and is read-only");
    }
    EXPECT_EQ(ReadWholeFile(model), body("four"));
    EXPECT_EQ(ReadWholeFile(backup), body("two"));
    EXPECT_TRUE(IsReadOnlyFile(model));
    EXPECT_FALSE(IsReadOnlyFile(dir / "none.qvf"));
}

TEST(TokenFileSave, BackupNameReplacesOnlyTheLastExtension) {
    TTempDir dir;
    std::string model = dir / "my.model.qvf";
    for (int i = 0; i < 2; ++i) {
        TFileObject file;
        file.CurrentVersion = "1";
        file.OpenForWrite(model, "Quorvane");
        file.Save(true);
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "my.model.bak"));
}

TEST(TokenFileSave, AFileNamedLikeItsOwnBackupIsStillSaved) {
    // Its backup name is its own name: the old text cannot be kept beside it, but the
    // model must never be deleted and the save reported as failed.
    TTempDir dir;
    std::string model = dir / "m.bak";
    for (const char* value : {"one", "two"}) {
        TFileObject file;
        file.CurrentVersion = "1";
        file.OpenForWrite(model, "Quorvane");
        file.WriteString(value);
        ASSERT_TRUE(file.Save(true)) << value;
        EXPECT_EQ(ReadWholeFile(model), std::string("Quorvane\t1\r\n\t'") + value + "'\r\n");
    }
}

TEST(TokenFileSave, FailedWriteKeepsThePreviousFile) {
    TTempDir dir;
    std::string model = dir / "m.qvf";
    WriteWholeFile(model, "old contents\r\n");
    // A folder that cannot be written to: the new text cannot be put beside the model.
    std::filesystem::permissions(dir.Path,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    bool canStillWrite = std::ofstream(dir / "probe").good(); // root ignores permissions
    if (canStillWrite) {
        std::filesystem::remove(dir / "probe");
        // Writing into a folder that does not exist fails the same way for everyone.
        model = dir / "no-such-folder/m.qvf";
    }
    TFileObject file;
    file.CurrentVersion = "1.0.10.166";
    file.OpenForWrite(model, "Quorvane");
    file.WriteString("new");
    EXPECT_THROW(file.Save(true), EFileObjectWriteError);
    std::filesystem::permissions(dir.Path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(ReadWholeFile(dir / "m.qvf"), "old contents\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "m.bak"));
    // No temporary file is left behind, and the text is kept for another try.
    size_t entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path)) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
    EXPECT_EQ(file.Lines.size(), 0u);
    EXPECT_EQ(file.Buffer, "\t'new'");
}

TEST(TokenFile, OverflowedValuesReadBack) {
    // A run that overflowed leaves infinities in its series; the file must still load.
    TFileObject file;
    file.OpenForWrite("", "");
    file.WriteFloat(std::numeric_limits<double>::infinity());
    file.WriteFloat(-std::numeric_limits<double>::infinity());
    file.EndLine();
    file.RewindForRead();
    EXPECT_EQ(file.ReadFloat(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(file.ReadFloat(), -std::numeric_limits<double>::infinity());
}
