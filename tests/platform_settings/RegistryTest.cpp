// The registry store: typed values and their refusals, the key tree, the file format, persistence.
#include "platform/Registry.h"
#include "SettingsTestSupport.h"
#include "platform/AtomicFile.h"
#include "platform/ConfigPaths.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::string FileText(const std::string& path) {
    std::string content;
    ReadWholeFile(path, content);
    return content;
}

const AnsiString PreviewKey = "\\Software\\Quillon\\Valnor\\Form\\TVNPreviewForm";

TEST(Registry, TypedValuesSurviveANewSession) {
    TScratchFolder folder;
    const std::string store = folder / "registry.reg";
    const AnsiString awkward = CP936("预览 \"工具栏\" C:\\temp\r\nline") + "\x81\x5C";
    const std::vector<std::uint8_t> bytes = {0x00, 0x5C, 0x22, 0xFF, 0x0A};
    {
        TRegistry reg(store);
        ASSERT_TRUE(reg.OpenKey(PreviewKey, true));
        reg.WriteInteger("Width", 800);
        reg.WriteInteger("XPosition", -5);
        reg.WriteBool("Maximized", false);
        reg.WriteString("DockName", awkward);
        reg.WriteExpandString("Path", "%HOME%\\x");
        reg.WriteFloat("Scale", 1.25);
        reg.WriteBinary("Raw", bytes);
        reg.WriteBinary("None", {});
        reg.WriteString("", "default value");
    }
    TRegistry reg(store);
    ASSERT_TRUE(reg.OpenKey("Software\\Quillon\\Valnor\\Form\\TVNPreviewForm", false));
    EXPECT_EQ(reg.ReadInteger("Width"), 800);
    EXPECT_EQ(reg.ReadInteger("XPosition"), -5);
    EXPECT_FALSE(reg.ReadBool("Maximized"));
    EXPECT_EQ(reg.ReadString("DockName"), awkward);
    EXPECT_EQ(reg.ReadString("Path"), "%HOME%\\x");
    EXPECT_DOUBLE_EQ(reg.ReadFloat("Scale"), 1.25);
    EXPECT_EQ(reg.ReadBinary("Raw"), bytes);
    EXPECT_TRUE(reg.ReadBinary("None").empty());
    EXPECT_EQ(reg.ReadString(""), "default value");
    EXPECT_EQ(reg.GetValueNames(), (std::vector<AnsiString>{"Width", "XPosition", "Maximized", "DockName",
                                                            "Path", "Scale", "Raw", "None", ""}));

    const struct {
        const char* Name;
        TRegDataType Type;
        int Size;
    } infos[] = {
        {"Width", TRegDataType::rdInteger, 4},     {"Maximized", TRegDataType::rdInteger, 4},
        {"Path", TRegDataType::rdExpandString, 9}, {"Scale", TRegDataType::rdBinary, 8},
        {"Raw", TRegDataType::rdBinary, 5},        {"Missing", TRegDataType::rdUnknown, -1},
    };
    for (const auto& info : infos) {
        EXPECT_EQ(reg.GetDataType(info.Name), info.Type) << info.Name;
        EXPECT_EQ(reg.GetDataSize(info.Name), info.Size) << info.Name;
    }
}

TEST(Registry, ReadingAsAnotherTypeIsRefused) {
    TScratchFolder folder;
    TRegistry reg(folder / "registry.reg");
    ASSERT_TRUE(reg.OpenKey("Valnor\\ReportSettings\\" + CP936("盘点损益表"), true));
    reg.WriteString("Text", "12");
    reg.WriteInteger("Number", 12);
    reg.WriteBinary("Short", {1, 2, 3});
    const struct {
        const char* Label;
        std::function<void()> Read;
        std::string Message;
    } cases[] = {
        {"string as integer", [&] { reg.ReadInteger("Text"); }, "Invalid data type for 'Text'"},
        {"string as bool", [&] { reg.ReadBool("Text"); }, "Invalid data type for 'Text'"},
        {"string as float", [&] { reg.ReadFloat("Text"); }, "Invalid data type for 'Text'"},
        {"integer as string", [&] { reg.ReadString("Number"); }, "Invalid data type for 'Number'"},
        {"integer as binary", [&] { reg.ReadBinary("Number"); }, "Invalid data type for 'Number'"},
        {"3 bytes as float", [&] { reg.ReadFloat("Short"); }, "Invalid data type for 'Short'"},
        {"missing integer", [&] { reg.ReadInteger("Gone"); }, "Failed to get data for 'Gone'"},
        {"missing float", [&] { reg.ReadFloat("Gone"); }, "Failed to get data for 'Gone'"},
    };
    for (const auto& c : cases) {
        try {
            c.Read();
            ADD_FAILURE() << c.Label << ": no error";
        } catch (const ERegistryException& error) {
            EXPECT_EQ(error.what(), c.Message) << c.Label;
        }
    }
    EXPECT_EQ(reg.ReadString("Gone"), ""); // a missing string reads as empty
    // Writing another type replaces the value and its type.
    reg.WriteInteger("TEXT", 3);
    EXPECT_EQ(reg.ReadInteger("text"), 3);
    EXPECT_EQ(reg.GetValueNames(), (std::vector<AnsiString>{"Text", "Number", "Short"}));
}

TEST(Registry, KeyTree) {
    TScratchFolder folder;
    TRegistry reg(folder / "registry.reg");
    EXPECT_FALSE(reg.OpenKey("Software\\Quillon\\Valnor", false));
    EXPECT_FALSE(std::filesystem::exists(reg.StoreFile())); // a failed open writes nothing
    ASSERT_TRUE(reg.OpenKey("Software\\Quillon\\Valnor", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Quillon\\Valnor");

    // Relative paths continue from the open key; a leading "\" starts at the root.
    ASSERT_TRUE(reg.OpenKey("ToolBar\\ToolbarPreviewStand", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Quillon\\Valnor\\ToolBar\\ToolbarPreviewStand");
    ASSERT_TRUE(reg.OpenKey("\\software\\QUILLON\\valnor\\\\form\\", true));
    EXPECT_EQ(reg.CurrentPath(), "software\\QUILLON\\valnor\\form");
    reg.CloseKey();

    const struct {
        const char* Path;
        bool Exists;
    } cases[] = {
        {"Software", true},
        {"SOFTWARE\\quillon", true},
        {"Software\\Quillon\\Valnor\\Form", true},
        {"Software\\Quillon\\Valnor\\ToolBar\\ToolbarPreviewStand", true},
        {"Software\\Quillon\\Val", false},
        {"Software\\Other", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reg.KeyExists(c.Path), c.Exists) << c.Path;

    ASSERT_TRUE(reg.OpenKey("Software\\Quillon\\Valnor", false));
    // Each name keeps the spelling it was created with.
    EXPECT_EQ(reg.GetKeyNames(), (std::vector<AnsiString>{"ToolBar", "form"}));
    reg.WriteInteger("Kept", 1);
    EXPECT_TRUE(reg.DeleteKey("ToolBar"));
    EXPECT_FALSE(reg.KeyExists("ToolBar\\ToolbarPreviewStand"));
    EXPECT_FALSE(reg.DeleteKey("ToolBar"));
    EXPECT_FALSE(reg.DeleteKey("\\")); // the root stays
    EXPECT_EQ(reg.ReadInteger("Kept"), 1);
    EXPECT_TRUE(reg.DeleteValue("kept"));
    EXPECT_FALSE(reg.ValueExists("Kept"));
}

TEST(Registry, ReadOnlyKeyRefusesWrites) {
    TScratchFolder folder;
    TRegistry reg(folder / "registry.reg");
    ASSERT_TRUE(reg.OpenKey("Valnor", true));
    reg.WriteInteger("A", 1);
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Valnor"));
    EXPECT_EQ(reg.ReadInteger("A"), 1);
    EXPECT_THROW(reg.WriteInteger("A", 2), ERegistryException);
    EXPECT_FALSE(reg.DeleteValue("A"));
    EXPECT_EQ(reg.ReadInteger("A"), 1);
    EXPECT_FALSE(reg.OpenKeyReadOnly("\\Missing"));
}

// The store is a text file people may read; its layout is the documented one, and lines that are
// not understood are skipped rather than failing the whole store.
TEST(Registry, StoreFileFormat) {
    TScratchFolder folder;
    TEnvOverride config("XDG_CONFIG_HOME", folder.Path());
    TRegistry reg;
    EXPECT_EQ(reg.StoreFile(), folder / "gusvak/registry.reg");
    ASSERT_TRUE(reg.OpenKey("Software\\Quillon\\Valnor\\Form\\TVNPreviewForm", true));
    reg.WriteInteger("Width", 800);
    reg.WriteString("Name", "a\"b\\c");
    reg.WriteFloat("Scale", 1.5);
    EXPECT_EQ(FileText(reg.StoreFile()), "GUSVAK REGISTRY 1\n"
                                         "\n[Software]\n"
                                         "\n[Software\\Quillon]\n"
                                         "\n[Software\\Quillon\\Valnor]\n"
                                         "\n[Software\\Quillon\\Valnor\\Form]\n"
                                         "\n[Software\\Quillon\\Valnor\\Form\\TVNPreviewForm]\n"
                                         "\"Width\"=dword:00000320\n"
                                         "\"Name\"=\"a\\\"b\\\\c\"\n"
                                         "\"Scale\"=hex:00,00,00,00,00,00,f8,3f\n");

    AtomicWriteFile(reg.StoreFile(), "GUSVAK REGISTRY 1\n"
                                     "[Valnor]\n"
                                     "\"Good\"=dword:ffffffff\n"
                                     "\"Bad\"=dword:xyz\n"
                                     "\"Open\"=\"unterminated\n"
                                     "garbage\n"
                                     "\"Hex\"=hex:0g\n"
                                     "\"Text\"=\"ok\"\n");
    ASSERT_TRUE(reg.OpenKey("\\Valnor", false));
    EXPECT_EQ(reg.ReadInteger("Good"), -1);
    EXPECT_EQ(reg.ReadString("Text"), "ok");
    EXPECT_EQ(reg.GetValueNames(), (std::vector<AnsiString>{"Good", "Text"}));
}

} // namespace
