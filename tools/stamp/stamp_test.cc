// vexil-stamp on a small PE file made here, so that every outcome is known:
// the icon file checks, the resource table written and read back, and what
// lands on disk when stamping succeeds or fails.

#include "tools/stamp/stamp.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/stamp/bytes.h"
#include "tools/stamp/pe_resources.h"

namespace fs = std::filesystem;

namespace {

// A 64-bit program image with one code section and, optionally, a COFF symbol
// table after it (as the MinGW linker leaves one), and room for more sections.
std::string smallProgram(bool symbolTable = false) {
  std::string file(0x400, '\0');
  file[0] = 'M';
  file[1] = 'Z';
  set32(file, 0x3C, 0x80);
  file.replace(0x80, 4, std::string("PE\0\0", 4));
  set16(file, 0x84, 0x8664);  // machine
  set16(file, 0x86, 1);       // sections
  set16(file, 0x94, 240);     // optional header size
  set16(file, 0x96, 0x0022);  // executable, large addresses
  const std::size_t optional = 0x98;
  set16(file, optional, 0x20B);
  set32(file, optional + 16, 0x1000);  // entry point
  set32(file, optional + 32, 0x1000);  // section alignment
  set32(file, optional + 36, 0x200);   // file alignment
  set32(file, optional + 56, 0x2000);  // size of image
  set32(file, optional + 60, 0x400);   // size of headers
  set16(file, optional + 68, 3);       // console subsystem
  set32(file, optional + 108, 16);     // data directories
  const std::size_t section = optional + 240;
  file.replace(section, 5, ".text");
  set32(file, section + 8, 0x10);
  set32(file, section + 12, 0x1000);
  set32(file, section + 16, 0x200);
  set32(file, section + 20, 0x400);
  set32(file, section + 36, 0x60000020);
  std::string code(0x200, '\xCC');
  code[0] = '\xC3';
  file += code;
  if (symbolTable) {
    set32(file, 0x8C, static_cast<std::uint32_t>(file.size()));
    set32(file, 0x90, 1);
    file += std::string(18, 'S') + std::string("\x04\0\0\0", 4);
  }
  return file;
}

// smallProgram with the mark of a launcher, as the build gives wlaunch.exe and claunch.exe.
std::string smallLauncher() {
  PeFile program(smallProgram(true));
  program.replaceResources({launcherMark()});
  return program.bytes();
}

// An .ico file with IMAGES (each a PNG or bitmap payload), square sizes 16, 32, ...
std::string iconFile(const std::vector<std::string>& images) {
  std::string file;
  put16(file, 0);
  put16(file, 1);
  put16(file, static_cast<std::uint32_t>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    file += static_cast<char>(16 << i);
    file += static_cast<char>(16 << i);
    file += std::string(2, '\0');
    put16(file, 1);
    put16(file, 32);
    put32(file, static_cast<std::uint32_t>(images[i].size()));
    put32(file, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const std::string& image : images) file += image;
  return file;
}

std::string pngImage() { return std::string("\x89PNG\r\n\x1A\n", 8) + "png-data"; }
std::string bitmapImage() {
  std::string image;
  put32(image, 40);
  return image + std::string(36, 'b');
}

Resource resource(ResourceKey type, ResourceKey name, std::uint16_t language, std::string data) {
  return Resource{std::move(type), std::move(name), language, 0, std::move(data)};
}
ResourceKey named(const std::u16string& text) { return ResourceKey{true, 0, text}; }

TEST(StampIcon, EachImageBecomesAnIconAndTheGroupListsThem) {
  const std::string ico = iconFile({bitmapImage(), pngImage()});
  const std::vector<Resource> resources = iconResources(ico);
  ASSERT_EQ(resources.size(), 3u);
  EXPECT_EQ(resources[0].type, ResourceKey::number(kResourceIcon));
  EXPECT_EQ(resources[0].name, ResourceKey::number(1));
  EXPECT_EQ(resources[0].data, bitmapImage());
  EXPECT_EQ(resources[1].name, ResourceKey::number(2));
  EXPECT_EQ(resources[1].data, pngImage());
  EXPECT_EQ(resources[2].type, ResourceKey::number(kResourceGroupIcon));
  // The group: the file's header, then each entry with a resource id for its offset.
  std::string group = ico.substr(0, 6);
  group += ico.substr(6, 12) + std::string("\x01\0", 2);
  group += ico.substr(22, 12) + std::string("\x02\0", 2);
  EXPECT_EQ(resources[2].data, group);
}

TEST(StampIcon, AFileThatIsNoUsableIconIsRefusedWithTheReason) {
  std::string cursor = iconFile({pngImage()});
  cursor[2] = 2;
  std::string beyond = iconFile({pngImage(), pngImage()});
  set32(beyond, 6 + 16 + 12, 0xFFFFFFF0u);  // second image's offset
  std::string huge = iconFile({pngImage()});
  set32(huge, 6 + 8, 0xFFFFFFFFu);  // its size
  std::string inDirectory = iconFile({pngImage()});
  set32(inDirectory, 6 + 12, 2);
  struct {
    const char* what;
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"empty", "", "it is too short to be an icon file."},
      {"text", "hello, world", "it does not begin like an icon file."},
      {"cursor", cursor, "it is a cursor, not an icon."},
      {"no images", iconFile({}), "it holds no image."},
      {"cut in the list", iconFile({pngImage(), pngImage()}).substr(0, 30), "it is cut off in its list of images."},
      {"cut in an image", iconFile({pngImage()}).substr(0, 30), "image 1 of 1 lies outside the file."},
      {"offset beyond", beyond, "image 2 of 2 lies outside the file."},
      {"size beyond", huge, "image 1 of 1 lies outside the file."},
      {"offset in the list", inDirectory, "image 1 of 1 lies outside the file."},
      {"neither", iconFile({pngImage(), std::string(44, 'x')}), "image 2 of 2 is neither a PNG nor a bitmap image."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      iconResources(c.bytes);
      ADD_FAILURE() << "accepted";
    } catch (const StampError& error) {
      EXPECT_STREQ(error.what(), c.reason);
    }
  }
}

TEST(StampVersion, NumbersAreOneToFourPartsOfSixteenBits) {
  EXPECT_EQ(parseVersion("1"), (VersionNumbers{1, 0, 0, 0}));
  EXPECT_EQ(parseVersion("2.10"), (VersionNumbers{2, 10, 0, 0}));
  EXPECT_EQ(parseVersion("65535.0.007.4"), (VersionNumbers{65535, 0, 7, 4}));
  for (const char* bad :
       {"", ".", "1.", ".1", "1..2", "1.2.3.4.5", "65536", "1.2a", "v1", " 1", "1,2", "-1", "000001"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(parseVersion(bad), StampError);
  }
}

TEST(StampResources, TheTableReadsBackAsWrittenInEveryLayout) {
  const std::vector<Resource> resources = {
      resource(ResourceKey::number(kResourceManifest), ResourceKey::number(1), 0x409, "<assembly/>"),
      resource(ResourceKey::number(kResourceVersion), ResourceKey::number(1), 0x407, "de"),
      resource(ResourceKey::number(kResourceVersion), ResourceKey::number(1), 0x409, "en"),
      resource(named(u"PNG"), named(u"LOGO"), 0, std::string(1000, '\xAB')),
      resource(named(u"PNG"), ResourceKey::number(7), 0, ""),
      resource(ResourceKey::number(10), named(u"b\u00E9ta"), 0, "x"),
  };
  // A program without resources gets a section; stamping again rewrites it in
  // place, also with a symbol table in the way the first time.
  for (bool symbols : {false, true}) {
    SCOPED_TRACE(symbols ? "with a symbol table" : "without");
    PeFile program(smallProgram(symbols));
    EXPECT_TRUE(program.resources().empty());
    const std::string before = program.bytes();
    program.replaceResources(resources);
    const std::string once = program.bytes();
    EXPECT_EQ(get16(once, 0x86), 2u) << "sections";
    EXPECT_EQ(once.compare(0x400, 0x200, before, 0x400, 0x200), 0) << "the code moved";
    std::vector<Resource> read = PeFile(once).resources();
    ASSERT_EQ(read.size(), resources.size());
    // Named entries first, sorted, then numbered ones.
    EXPECT_EQ(read[0].type, named(u"PNG"));
    EXPECT_EQ(read[0].name, named(u"LOGO"));
    EXPECT_EQ(read[0].data, std::string(1000, '\xAB'));
    EXPECT_EQ(read[1].name, ResourceKey::number(7));
    EXPECT_EQ(read[2].type, ResourceKey::number(10));
    EXPECT_EQ(read[2].name, named(u"b\u00E9ta"));
    EXPECT_EQ(read[3].type, ResourceKey::number(kResourceVersion));
    EXPECT_EQ(read[3].language, 0x407);
    EXPECT_EQ(read[3].data, "de");
    EXPECT_EQ(read[4].language, 0x409);
    EXPECT_EQ(read[4].data, "en");
    EXPECT_EQ(read[5].type, ResourceKey::number(kResourceManifest));
    EXPECT_EQ(read[5].data, "<assembly/>");

    PeFile again(once);
    again.replaceResources({resources[0]});
    EXPECT_EQ(get16(again.bytes(), 0x86), 2u) << "sections after the second stamp";
    EXPECT_LT(again.bytes().size(), once.size());
    ASSERT_EQ(PeFile(again.bytes()).resources().size(), 1u);
    EXPECT_EQ(PeFile(again.bytes()).resources()[0].data, "<assembly/>");
  }
}

TEST(StampResources, TheChecksumIsTheWindowsOne) {
  PeFile program(smallProgram());
  program.replaceResources({resource(ResourceKey::number(kResourceManifest), ResourceKey::number(1), 0, "m")});
  // Recomputed here the long way: 16-bit words with end-around carry, the field as 0, plus the length.
  std::string bytes = program.bytes();
  const std::uint32_t stored = get32(bytes, 0x98 + 64);
  set32(bytes, 0x98 + 64, 0);
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    sum += get16(bytes, i);
    if (sum > 0xFFFF) sum = (sum & 0xFFFF) + 1;
  }
  EXPECT_EQ(stored, sum + bytes.size());
  EXPECT_NE(stored, 0u);
}

TEST(StampResources, DamagedFilesAreRefusedWithoutReadingOutside) {
  PeFile stamped(smallProgram());
  stamped.replaceResources({resource(ResourceKey::number(kResourceManifest), ResourceKey::number(1), 0, "m")});
  const std::string good = stamped.bytes();
  const std::size_t table = 0x600;  // the new section's data
  std::string loop = good;
  set32(loop, table + 16 + 4, 0x80000000u);  // the type's subtable is the root itself: a leaf is missing
  std::string outside = good;
  set32(outside, table + 16 + 4, 0x8FFFFFF0u);
  std::string count = good;
  set16(count, table + 14, 0xFFFF);
  std::string signedFile = smallProgram();
  set32(signedFile, 0x98 + 112 + 8 * 4 + 4, 100);
  std::string dll = smallProgram();
  set16(dll, 0x96, 0);
  std::string alignment = smallProgram();  // a new section would be padded to 2 GB
  set32(alignment, 0x98 + 32, 0x80000000u);
  set32(alignment, 0x98 + 36, 0x80000000u);
  struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"subtable cycle", loop},   {"subtable outside", outside},
      {"entry count", count},     {"signed", signedFile},
      {"no image", dll},          {"cut headers", good.substr(0, 0x100)},
      {"text", "MZ but no more"}, {"file alignment", alignment},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THROW(PeFile(c.bytes).resources(), StampError);
  }
}

TEST(StampCommandLine, OptionsAndFilesAreTakenOrRefused) {
  StampRequest request = parseStampArguments({"--icon", "a.ico", "wlaunch.exe", "--product-name", "My App",
                                              "--file-version", "1.2.3", "MyApp.exe", "--lap", "t.lap"});
  EXPECT_EQ(request.launcher, "wlaunch.exe");
  EXPECT_EQ(request.output, "MyApp.exe");
  EXPECT_EQ(request.icon, "a.ico");
  EXPECT_EQ(request.lapTemplate, "t.lap");
  EXPECT_EQ(request.version.productName, "My App");
  EXPECT_EQ(request.version.fileVersion, "1.2.3");
  EXPECT_TRUE(parseStampArguments({"a", "--help"}).help);

  struct {
    std::vector<std::string> arguments;
    const char* message;
  } cases[] = {
      {{}, "give the launcher to copy and the name of the copy."},
      {{"wlaunch.exe"}, "give the launcher to copy and the name of the copy."},
      {{"a", "b", "c"}, "give the launcher to copy and the name of the copy."},
      {{"a", "b", "--colour", "red"}, "unknown option --colour."},
      {{"a", "b", "--icon"}, "--icon needs a value."},
      {{"a", "b", "--company", ""}, "--company needs a value."},
      {{"--icon", "x", "--icon", "y", "a", "b"}, "--icon is given twice."},
      {{"a", "b", "--file-version", "1.x"},
       "--file-version: \"1.x\" is not a version number: write one to four numbers from 0 to 65535, as in 1.2.3.4."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      parseStampArguments(c.arguments);
      ADD_FAILURE() << "accepted";
    } catch (const UsageError& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
  }
}

TEST(StampLap, TheTemplateGetsTheValuesAndTheLauncherReadsItsName) {
  StampRequest request = parseStampArguments({"w.exe", "out/My App.EXE", "--product-name", "Tool", "--company", "@X@"});
  EXPECT_EQ(expandLapTemplate("-Dname=@NAME@ @PRODUCT_NAME@@COMPANY@ @PRODUCT_VERSION@| @UNKNOWN@ @@\n", request),
            "-Dname=My App Tool@X@ | @UNKNOWN@ @@\n");
  EXPECT_EQ(lapPathFor("out/My App.EXE"), "out/My App.lap");
  EXPECT_EQ(lapPathFor("tool"), "tool.lap");
  EXPECT_EQ(lapPathFor("tool.exe.bin"), "tool.exe.bin.lap");
}

class StampFiles : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexil-stamp-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_directory = pattern;
    write("wlaunch.exe", smallLauncher());
    write("app.ico", iconFile({bitmapImage(), pngImage()}));
    write("app.lap.in", "vexil.main.class=@NAME@\n");
  }
  void TearDown() override { fs::remove_all(m_directory); }

  std::string path(const std::string& name) const { return m_directory + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_directory)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  /// Stamps with ARGUMENTS; the message of the failure, empty when it succeeded.
  std::string stampWith(const std::vector<std::string>& arguments) const {
    try {
      stamp(parseStampArguments(arguments));
      return "";
    } catch (const StampError& error) {
      return error.what();
    }
  }

  std::string m_directory;
};

TEST_F(StampFiles, TheCopyAndItsLapAppearAndTheLauncherStaysAsItWas) {
  const std::string launcher = read("wlaunch.exe");
  EXPECT_EQ(stampWith({path("wlaunch.exe"), path("My.exe"), "--icon", path("app.ico"), "--lap", path("app.lap.in"),
                       "--product-name", "My"}),
            "");
  EXPECT_EQ(read("wlaunch.exe"), launcher);
  EXPECT_EQ(read("My.lap"), "vexil.main.class=My\n");
  const std::vector<Resource> resources = PeFile(read("My.exe")).resources();
  EXPECT_EQ(resources.size(), 5u);  // two images, the group, the version, the launcher's mark
  EXPECT_TRUE(carriesLauncherMark(resources));
  EXPECT_EQ(files(), (std::vector<std::string>{"My.exe", "My.lap", "app.ico", "app.lap.in", "wlaunch.exe"}));

  // A stamped program is still a launcher; missing folders of the copy are
  // made, whatever their names.
  const std::string deep = u8"日本語/Café/My Tool.exe";
  EXPECT_EQ(stampWith({path("My.exe"), path(deep), "--lap", path("app.lap.in")}), "");
  EXPECT_TRUE(carriesLauncherMark(PeFile(read(deep)).resources()));
  EXPECT_EQ(read(u8"日本語/Café/My Tool.lap"), "vexil.main.class=My Tool\n");
  EXPECT_EQ(read("My.lap"), "vexil.main.class=My\n");
}

TEST_F(StampFiles, AFailureLeavesNoFileBehind) {
  write("bad.ico", "not an icon");
  write("notes.txt", "not a program");
  write("other.exe", smallProgram(true));
  write("Tool.lap", "vexil.main.class=@NAME@\n");
  write("huge.exe", "");
  ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
  fs::resize_file(path("huge.exe"), (64u << 20) + 1);
  const std::string from = path("wlaunch.exe");
  const std::string to = path("My.exe");
  struct {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{path("missing.exe"), to}, "Cannot read the launcher \"" + path("missing.exe") + "\": it does not exist."},
      {{path("notes.txt"), to},
       "The launcher \"" + path("notes.txt") +
           "\" cannot be stamped: it is not a Windows program (no valid PE headers)."},
      {{path("other.exe"), to},
       "The launcher \"" + path("other.exe") +
           "\" cannot be stamped: it is not a Vexil launcher (wlaunch.exe, claunch.exe or a program stamped from "
           "one)."},
      {{path("huge.exe"), to}, "Cannot read the launcher \"" + path("huge.exe") + "\": it is larger than 64 MB."},
      {{path("."), to}, "Cannot read the launcher \"" + path(".") + "\": it is a folder."},
      {{from, to, "--icon", path("bad.ico")},
       "The icon file \"" + path("bad.ico") + "\" is not usable: it does not begin like an icon file."},
      {{from, to, "--icon", path("none.ico")},
       "Cannot read the icon file \"" + path("none.ico") + "\": it does not exist."},
      {{from, to, "--lap", path("none.in")},
       "Cannot read the .lap template \"" + path("none.in") + "\": it does not exist."},
      {{from, path("notes.txt/sub/My.exe")},
       "Cannot write \"" + path("notes.txt/sub/My.exe") + "\": the folder \"" + path("notes.txt/sub") +
           "\" cannot be made."},
      {{from, path(".")}, "Cannot write \"" + path(".") + "\": it is a folder."},
      {{from, path("pipe")}, "Cannot write \"" + path("pipe") + "\": it is a device or a pipe, not a file."},
      {{path("pipe"), to}, "Cannot read the launcher \"" + path("pipe") + "\": it is a device or a pipe, not a file."},
      {{from, path("new/")}, "Cannot write \"" + path("new/") + "\": it is a folder."},
      {{from, path(std::string(300, 'n') + ".exe")},
       "Cannot write \"" + path(std::string(300, 'n') + ".exe") +
           "\": the finished file cannot be put in its place (is a file of that name in use, or the name too long?)."},
      {{from, from}, "The copy \"" + from + "\" would replace the launcher itself: give another name."},
      {{from, path("./wlaunch.exe")},
       "The copy \"" + path("./wlaunch.exe") + "\" would replace the launcher itself: give another name."},
      {{from, path("app.ico"), "--icon", path("app.ico")},
       "The copy \"" + path("app.ico") + "\" would replace the icon file itself: give another name."},
      {{from, path("Tool.exe"), "--lap", path("Tool.lap")},
       "The .lap file \"" + path("Tool.lap") + "\" would replace the .lap template itself: give another name."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(stampWith(c.arguments), c.message);
    EXPECT_EQ(files(), (std::vector<std::string>{"Tool.lap", "app.ico", "app.lap.in", "bad.ico", "huge.exe",
                                                 "notes.txt", "other.exe", "pipe", "wlaunch.exe"}));
  }
}

TEST_F(StampFiles, AReadOnlyCopyOrLapIsNotReplaced) {
  for (const char* readOnly : {"My.exe", "My.lap"}) {
    SCOPED_TRACE(readOnly);
    write("My.exe", "old program");
    write("My.lap", "old lap");
    chmod(path(readOnly).c_str(), 0444);
    EXPECT_EQ(stampWith({path("wlaunch.exe"), path("My.exe"), "--lap", path("app.lap.in")}),
              "Cannot replace \"" + path(readOnly) + "\": the file is read-only.");
    EXPECT_EQ(read("My.exe"), "old program");
    EXPECT_EQ(read("My.lap"), "old lap");
    EXPECT_EQ(files(), (std::vector<std::string>{"My.exe", "My.lap", "app.ico", "app.lap.in", "wlaunch.exe"}));
    chmod(path(readOnly).c_str(), 0644);
  }
}

}  // namespace
