// INI settings files: exact values (CP936, blanks, quotes), missing files, case-insensitive names,
// untouched neighbours, refused names and values, atomic replacement, and the folder rule.
#include "platform/IniFile.h"
#include "SettingsTestSupport.h"
#include "platform/AtomicFile.h"
#include "platform/ConfigPaths.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

std::string FileText(const std::string& path) {
    std::string content;
    ReadWholeFile(path, content);
    return content;
}

void WriteText(const std::string& path, const std::string& text) {
    AtomicWriteFile(path, text);
}

TEST(IniFile, ValuesComeBackExactly) {
    TScratchFolder folder;
    TIniFile ini(folder / "Trevalmpos.ini");
    const std::vector<std::pair<AnsiString, AnsiString>> cases = {
        {"f_Spbm", "1,85"},
        {"Title", CP936("盘点损益表")},
        {"Caption", CP936("全  选(&A)")},
        {"Padded", "  two blanks either side  "},
        {"Quoted", "\"already quoted\""},
        {"Empty", ""},
        {"Punctuation", "a=b;c[d]"},
        // Invalid CP936 bytes are data too: stored and returned untouched.
        {"Bytes", "\x81\x5C\xFE"},
    };
    for (const auto& [key, value] : cases)
        ini.WriteString("Gusvak", key, value);
    for (const auto& [key, value] : cases)
        EXPECT_EQ(ini.ReadString("Gusvak", key, "default"), value) << key;
    // The file holds the CP936 bytes themselves, not a converted form.
    EXPECT_NE(FileText(ini.FileName()).find("Title=" + CP936("盘点损益表") + "\n"), std::string::npos);
}

TEST(IniFile, MissingOrUnreadableFileReadsAsMissingKeys) {
    TScratchFolder folder;
    for (const std::string& path : {folder / "absent.ini", folder / "nofolder/absent.ini", folder.Path()}) {
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadString("Gusvak", "f_Spbm", "1,0"), "1,0") << path;
        EXPECT_EQ(ini.ReadInteger("Gusvak", "n", 7), 7);
        EXPECT_TRUE(ini.ReadBool("Gusvak", "b", true));
        EXPECT_FALSE(ini.SectionExists("Gusvak"));
        EXPECT_FALSE(ini.ValueExists("Gusvak", "f_Spbm"));
        EXPECT_TRUE(ini.ReadSection("Gusvak").empty());
        EXPECT_TRUE(ini.ReadSections().empty());
    }
    // Reading never creates the file.
    EXPECT_FALSE(std::filesystem::exists(folder / "absent.ini"));
}

TEST(IniFile, NamesMatchWithoutCaseButKeepTheirSpelling) {
    TScratchFolder folder;
    TIniFile ini(folder / "a.ini");
    ini.WriteString("Gusvak", "f_Spbm", "1,85");
    EXPECT_EQ(ini.ReadString("GUSVAK", "F_SPBM", ""), "1,85");
    EXPECT_TRUE(ini.ValueExists("gusvak", "f_spbm"));

    ini.WriteString("gusVAK", "F_SPBM", "0,64");
    ini.WriteString("gusvak", "F_Other", "x");
    EXPECT_EQ(FileText(ini.FileName()), "[Gusvak]\nf_Spbm=0,64\nF_Other=x\n");

    // Double-byte names compare byte for byte: a trailing byte that looks like a letter is no letter.
    ini.WriteString("\x81\x41", "k", "upper");
    ini.WriteString("\x81\x61", "k", "lower");
    EXPECT_EQ(ini.ReadString("\x81\x41", "k", ""), "upper");
    EXPECT_EQ(ini.ReadString("\x81\x61", "k", ""), "lower");
}

// A file written by hand (or by another program) keeps everything a write does not concern:
// comments, blank lines, keys before the first section, order, CR LF line ends, odd spacing.
TEST(IniFile, WritesKeepTheRestOfTheFile) {
    TScratchFolder folder;
    const std::string path = folder / "layout.ini";
    const std::string original = "; layout of the grids\r\n"
                                 "loose=1\r\n"
                                 "[Gusvak]\r\n"
                                 "  f_Spbm = 1,85  \r\n"
                                 "; hidden column\r\n"
                                 "f_Spmc=0,64\r\n"
                                 "\r\n"
                                 "; next form\r\n"
                                 "[Other]\r\n"
                                 "f_Spbm=1,20\r\n";
    WriteText(path, original);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Gusvak", "f_Spbm", ""), "1,85");
    EXPECT_EQ(ini.ReadString("Other", "f_Spbm", ""), "1,20");
    EXPECT_EQ(ini.ReadString("Gusvak", "loose", "none"), "none");

    ini.WriteString("Gusvak", "f_Spbm", "0,90");
    ini.WriteString("Gusvak", "f_Sysl", "1,70");
    ini.WriteString(CP936("新节"), "k", "v");
    EXPECT_EQ(FileText(path), "; layout of the grids\r\n"
                              "loose=1\r\n"
                              "[Gusvak]\r\n"
                              "  f_Spbm =0,90\r\n"
                              "; hidden column\r\n"
                              "f_Spmc=0,64\r\n"
                              "f_Sysl=1,70\r\n"
                              "\r\n"
                              "; next form\r\n"
                              "[Other]\r\n"
                              "f_Spbm=1,20\r\n"
                              "[" +
                                  CP936("新节") +
                                  "]\r\n"
                                  "k=v\r\n");
    EXPECT_EQ(ini.ReadSection("Gusvak"), (std::vector<AnsiString>{"f_Spbm", "f_Spmc", "f_Sysl"}));
    EXPECT_EQ(ini.ReadSections(), (std::vector<AnsiString>{"Gusvak", "Other", CP936("新节")}));

    ini.DeleteKey("Gusvak", "f_Spmc");
    ini.EraseSection("other");
    EXPECT_EQ(FileText(path), "; layout of the grids\r\n"
                              "loose=1\r\n"
                              "[Gusvak]\r\n"
                              "  f_Spbm =0,90\r\n"
                              "; hidden column\r\n"
                              "f_Sysl=1,70\r\n"
                              "\r\n"
                              "; next form\r\n"
                              "[" +
                                  CP936("新节") +
                                  "]\r\n"
                                  "k=v\r\n");
}

TEST(IniFile, EachCallSeesWhatAnotherWriterDidInBetween) {
    TScratchFolder folder;
    TIniFile first(folder / "shared.ini");
    TIniFile second(folder / "shared.ini");
    first.WriteString("S", "a", "1");
    second.WriteString("S", "b", "2");
    first.WriteString("S", "c", "3");
    EXPECT_EQ(FileText(first.FileName()), "[S]\na=1\nb=2\nc=3\n");
    EXPECT_EQ(second.ReadString("S", "c", ""), "3");
}

TEST(IniFile, HandEditedLinesRead) {
    TScratchFolder folder;
    const std::string path = folder / "hand.ini";
    WriteText(path, "[ Gusvak ]\n"
                    "\tf_Spbm\t=\t1,85 \n"
                    "quoted= \"  kept  \" \n"
                    "dup=first\n"
                    "dup=second\n"
                    "no equals sign\n"
                    "[Gusvak]\n"
                    "later=x\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Gusvak", "f_Spbm", ""), "1,85");
    EXPECT_EQ(ini.ReadString("Gusvak", "quoted", ""), "  kept  ");
    EXPECT_EQ(ini.ReadString("Gusvak", "dup", ""), "first");
    EXPECT_EQ(ini.ReadSection("Gusvak"), (std::vector<AnsiString>{"f_Spbm", "quoted", "dup"}));
    // A repeated section is erased as a whole; a repeated key as well.
    ini.DeleteKey("Gusvak", "dup");
    EXPECT_FALSE(ini.ValueExists("Gusvak", "dup"));
    ini.EraseSection("Gusvak");
    EXPECT_FALSE(ini.SectionExists("Gusvak"));
    EXPECT_EQ(FileText(path), "");
}

TEST(IniFile, IntegersAndBooleans) {
    TScratchFolder folder;
    TIniFile ini(folder / "n.ini");
    const struct {
        const char* Stored;
        int Expected;
    } cases[] = {
        {"12", 12},
        {" -5 ", -5},
        {"+7", 7},
        {"$FF", 255},
        {"0x10", 16},
        {"abc", 99},
        {"", 99},
        {"1,85", 99},
        {"2147483647", 2147483647},
        {"2147483648", 99},
        {"-2147483648", -2147483647 - 1},
        {"$FFFFFFFF", -1},
        {"0x1FFFFFFFF", 99},
    };
    for (const auto& c : cases) {
        ini.WriteString("N", "v", c.Stored);
        EXPECT_EQ(ini.ReadInteger("N", "v", 99), c.Expected) << c.Stored;
    }
    ini.WriteInteger("N", "i", -42);
    EXPECT_EQ(ini.ReadString("N", "i", ""), "-42");
    ini.WriteBool("N", "t", true);
    ini.WriteBool("N", "f", false);
    EXPECT_EQ(ini.ReadString("N", "t", ""), "1");
    EXPECT_TRUE(ini.ReadBool("N", "t", false));
    EXPECT_FALSE(ini.ReadBool("N", "f", true));
    ini.WriteString("N", "word", "true");
    EXPECT_FALSE(ini.ReadBool("N", "word", false)); // not an integer: the default
    ini.WriteString("N", "two", "2");
    EXPECT_TRUE(ini.ReadBool("N", "two", false));
}

// Names and values that could not be read back as written are refused, and the file stays as it was.
TEST(IniFile, RefusesWhatCannotBeStored) {
    TScratchFolder folder;
    TIniFile ini(folder / "r.ini");
    ini.WriteString("S", "k", "v");
    const std::string before = FileText(ini.FileName());
    const struct {
        AnsiString Section, Key, Value;
    } cases[] = {
        {"S", "k", "two\nlines"}, {"S", "k", "cr\rhere"}, {"S", "a=b", "v"}, {"S", ";k", "v"},
        {"S", "[k", "v"},         {"S", "  ", "v"},       {"S", "", "v"},    {"S\n[T]", "k", "v"},
    };
    for (const auto& c : cases)
        EXPECT_THROW(ini.WriteString(c.Section, c.Key, c.Value), EIniFileError) << c.Key << "|" << c.Value;
    EXPECT_EQ(FileText(ini.FileName()), before);
}

TEST(IniFile, FailedWriteLeavesOldFileIntact) {
    TScratchFolder folder;
    const std::string path = folder / "keep.ini";
    TIniFile ini(path);
    ini.WriteString("Gusvak", "f_Spbm", "1,85");
    const std::string before = FileText(path);

    // The temporary file fills up: the write stops half way (file size limit), as on a full disk.
    {
        struct rlimit old {};
        getrlimit(RLIMIT_FSIZE, &old);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = old;
        limit.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &limit);
        EXPECT_THROW(ini.WriteString("Gusvak", "big", std::string(100000, 'x')), EIniFileError);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }
    EXPECT_EQ(FileText(path), before);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"keep.ini"}); // no temporary file left

    // The folder refuses new files (root ignores permissions, so only checked for other users).
    if (geteuid() != 0) {
        std::filesystem::permissions(folder.Path(),
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_THROW(ini.WriteString("Gusvak", "f_Spmc", "0,64"), EIniFileError);
        std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_all);
        EXPECT_EQ(FileText(path), before);
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"keep.ini"});
    }
}

TEST(AtomicFile, ReplacesContentKeepsModeAndFollowsLinks) {
    TScratchFolder folder;
    const std::string real = folder / "real.ini";
    AtomicWriteFile(real, "old");
    std::filesystem::permissions(real,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink(real, folder / "link.ini");
    AtomicWriteFile(folder / "link.ini", "new");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.ini"));
    EXPECT_EQ(FileText(real), "new");
    EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    // Missing parent folders are created.
    AtomicWriteFile(folder / "a/b/c.ini", "deep");
    EXPECT_EQ(FileText(folder / "a/b/c.ini"), "deep");
}

TEST(AtomicFile, WriterPutsItsPiecesInPlaceOnlyOnCommit) {
    TScratchFolder folder;
    const std::string file = folder / "big.out";
    AtomicWriteFile(file, "old");
    // Small pieces gathered, and one larger than any buffer, in order.
    const std::string large(3 << 20, 'L');
    std::string expected;
    {
        TAtomicFileWriter writer(file);
        for (const std::string& piece : {std::string("head "), large, std::string(" tail")}) {
            writer.Write(piece);
            expected += piece;
        }
        EXPECT_EQ(writer.Size(), std::int64_t(expected.size()));
        EXPECT_EQ(FileText(file), "old");
        writer.Commit();
    }
    EXPECT_TRUE(FileText(file) == expected);
    // A writer given up before Commit leaves the file as it was and nothing beside it.
    {
        TAtomicFileWriter writer(file);
        writer.Write(large);
    }
    EXPECT_TRUE(FileText(file) == expected);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"big.out"});
}

TEST(AtomicFile, TemporariesOfAKilledWriteAreRemovedByTheNextWrite) {
    TScratchFolder folder;
    const std::string file = folder / "Trevalmpos.ini";
    AtomicWriteFile(file, "old");
    // A dead process's leftover, a live process's write in progress (our parent), and other
    // names that only look alike.
    const std::string dead = file + ".tmp-999999999-0";
    const std::string live = file + ".tmp-" + std::to_string(::getppid()) + "-3";
    const std::string other = folder / "other.ini.tmp-999999999-0";
    for (const std::string& p : {dead, live, other})
        AtomicWriteFile(p, "partial");
    AtomicWriteFile(file, "new");
    EXPECT_EQ(FileText(file), "new");
    EXPECT_FALSE(std::filesystem::exists(dead));
    EXPECT_TRUE(std::filesystem::exists(live));
    EXPECT_TRUE(std::filesystem::exists(other));
}

// A series of pages clears the folder once: every dead write's leftover goes, whatever its file,
// and a write that leaves the clearing to its caller does not scan.
TEST(AtomicFile, AFolderIsClearedOfDeadWritesOnce) {
    TScratchFolder folder;
    const std::string dead1 = folder / "page-001.png.tmp-999999999-0";
    const std::string dead2 = folder / "page-002.png.tmp-999999998-4";
    const std::string live = folder / ("page-003.png.tmp-" + std::to_string(::getppid()) + "-1");
    const std::string plain = folder / "notes.tmp-backup";
    for (const std::string& p : {dead1, dead2, live, plain})
        AtomicWriteFile(p, "partial");
    AtomicWriteFile(folder / "page-001.png", "page", TStaleTemporaries::LeaveToCaller);
    EXPECT_TRUE(std::filesystem::exists(dead1));
    RemoveStaleTemporariesIn(folder.Path());
    EXPECT_FALSE(std::filesystem::exists(dead1));
    EXPECT_FALSE(std::filesystem::exists(dead2));
    EXPECT_TRUE(std::filesystem::exists(live));
    EXPECT_TRUE(std::filesystem::exists(plain));
    EXPECT_EQ(FileText(folder / "page-001.png"), "page");
}

TEST(ConfigPaths, FollowTheXdgVariables) {
    TEnvOverride home("HOME", "/home/clerk");
    const struct {
        std::optional<std::string> ConfigHome, DataHome, TmpDir;
        const char *Config, *Data, *Temp;
    } cases[] = {
        {std::nullopt, std::nullopt, std::nullopt, "/home/clerk/.config/gusvak",
         "/home/clerk/.local/share/gusvak", "/tmp"},
        {"/x/cfg", "/x/data/", "/x/tmp", "/x/cfg/gusvak", "/x/data/gusvak", "/x/tmp"},
        // Empty and relative values are not valid XDG folders and fall back to the defaults.
        {"", "relative/data", "relative", "/home/clerk/.config/gusvak", "/home/clerk/.local/share/gusvak",
         "/tmp"},
    };
    for (const auto& c : cases) {
        TEnvOverride config("XDG_CONFIG_HOME", c.ConfigHome);
        TEnvOverride data("XDG_DATA_HOME", c.DataHome);
        TEnvOverride tmp("TMPDIR", c.TmpDir);
        EXPECT_EQ(ConfigFolder(), c.Config);
        EXPECT_EQ(ProgramFolder(), c.Config);
        EXPECT_EQ(DataFolder(), c.Data);
        EXPECT_EQ(TempFolder(), c.Temp);
    }
}

TEST(ResolveSettingsPath, FolderRule) {
    TEnvOverride config("XDG_CONFIG_HOME", "/x/cfg");
    const struct {
        AnsiString FileName, Folder;
        std::string Expected;
    } cases[] = {
        {"Trevalmpos.ini", "", "/x/cfg/gusvak/Trevalmpos.ini"},
        {"Trevalmpos.ini", "\\", "/x/cfg/gusvak/Trevalmpos.ini"},
        {"Resource\\Turtle.avi", "", "/x/cfg/gusvak/Resource/Turtle.avi"},
        {"Trevalmpos.ini", "/data", "/data/Trevalmpos.ini"},
        {"Trevalmpos.ini", "/data/", "/data/Trevalmpos.ini"},
        {"Trevalmpos.ini", "\\data\\set", "/data/set/Trevalmpos.ini"},
        {"Trevalmpos.ini", "\\data\\set\\", "/data/set/Trevalmpos.ini"},
        {"a.ini", "sub", "sub/a.ini"},
        {CP936("盘点.ini"), CP936("/数据\\"), "/数据/盘点.ini"},
        // 0x5C as the second byte of a double-byte character is not a folder separator.
        {"\x81\x5C.ini", "", "/x/cfg/gusvak/" + AnsiToUtf8("\x81\x5C") + ".ini"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveSettingsPath(c.FileName, c.Folder), c.Expected) << c.FileName << " in " << c.Folder;
}

} // namespace
