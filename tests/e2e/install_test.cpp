// The game installed as a desktop game: this build's install rules stage a
// /usr tree under a temporary DESTDIR, the desktop entry and the metainfo
// pass their validators, the installed launcher starts the game for a
// player whose HOME is temporary, the record lands in that player's data
// folder, and the uninstall takes away exactly what was installed.
//
// The install is the `game` and `data` components', each with its own
// manifest (install_manifest_<component>.txt), not the one `make install`
// keeps.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/desktop.h"
#include "tests/support/testing.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
using nubrix_test::ChildResult;
using nubrix_test::Desktop;
using nubrix_test::Pause;
using nubrix_test::RunProgram;

const char* const kId = "invalid.nubrix.Nubrix";
// The program and what goes with it, and the data: the two packages.
const char* const kComponents[] = {"game", "data"};
std::string Manifest(const std::string& component) {
    return NUBRIX_BINARY_DIR "/install_manifest_" + component + ".txt";
}

// Width and height from a PNG's header; 0 when it is not one.
std::pair<int, int> PngSize(const std::string& path) {
    std::string head = nubrix_test::ReadFile(path).substr(0, 24);
    if (head.size() < 24 || head.compare(1, 3, "PNG") != 0) return {0, 0};
    auto be32 = [&](int at) {
        return (uint8_t(head[at]) << 24) | (uint8_t(head[at + 1]) << 16) | (uint8_t(head[at + 2]) << 8) |
               uint8_t(head[at + 3]);
    };
    return {be32(16), be32(20)};
}

// Everything under a folder that is not a folder (files and links).
std::set<std::string> Entries(const std::string& root) {
    std::set<std::string> out;
    std::error_code e;
    for (auto it = fs::recursive_directory_iterator(root, e); it != fs::recursive_directory_iterator(); ++it) {
        if (!it->is_directory() || it->is_symlink()) out.insert(it->path().string());
    }
    return out;
}

class Installed : public ::testing::Test {
protected:
    nubrix_test::TempDir stage, home, elsewhere;
    Desktop desktop;

    std::string Usr(const std::string& rest) const { return stage.Path() + "/usr/" + rest; }

    void SetUp() override {
        ASSERT_TRUE(desktop.Ok()) << "no X display";
        for (const char* component : kComponents) {
            ChildResult r = RunProgram(
                {NUBRIX_CMAKE, "--install", NUBRIX_BINARY_DIR, "--component", component, "--prefix", "/usr"},
                {"DESTDIR=" + stage.Path()}, "", 120);
            ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
        }
    }

    // The command of the installed menu entry.
    std::string MenuCommand() const {
        std::istringstream entry(nubrix_test::ReadFile(Usr(std::string("share/applications/") + kId + ".desktop")));
        for (std::string line; std::getline(entry, line);) {
            if (line.rfind("Exec=", 0) == 0) return line.substr(5);
        }
        return "";
    }

    // Starts the installed launcher as the menu entry does (inside the
    // staged tree), from a folder of no interest, with this HOME and
    // XDG_DATA_HOME.
    std::unique_ptr<nubrix_test::Process> Launch(const std::string& xdgDataHome) {
        return std::unique_ptr<nubrix_test::Process>(new nubrix_test::Process(
            {stage.Path() + MenuCommand()}, {"HOME=" + home.Path(), "XDG_DATA_HOME=" + xdgDataHome, "ASAN_OPTIONS=detect_leaks=0"},
            elsewhere.Path()));
    }

    // Where a link points; empty when it is not one.
    static std::string LinkTarget(const std::string& path) {
        std::error_code e;
        return fs::read_symlink(path, e).string();
    }
    // The folder the game runs in, as the system sees it.
    static std::string WorkingFolder(int pid) { return LinkTarget("/proc/" + std::to_string(pid) + "/cwd"); }
};

TEST_F(Installed, TheLauncherPlaysInThePlayersFolderAndUninstallLeavesNothing) {
    // What is installed, and nothing else.
    const std::vector<std::string> expected = {
        "games/nubrix",
        "lib/games/nubrix/nubrix",
        "share/games/nubrix/atoms.png",
        "share/games/nubrix/fonts/editundo-hd2.png",
        "share/games/nubrix/sfx/099.wav",
        "share/man/man6/nubrix.6.gz",
        "share/doc/nubrix/copyright",
        "share/doc/nubrix/changelog.gz",
        "share/doc/nubrix-data/copyright",
        "share/doc/nubrix-data/changelog.gz",
        std::string("share/applications/") + kId + ".desktop",
        std::string("share/metainfo/") + kId + ".metainfo.xml",
    };
    for (const std::string& f : expected) EXPECT_TRUE(fs::exists(Usr(f))) << f;
    EXPECT_EQ(MenuCommand(), "/usr/games/nubrix") << "by its full path: /usr/games is not on every PATH";
    for (const char* f : {"games/nubrix", "lib/games/nubrix/nubrix"}) EXPECT_EQ(access(Usr(f).c_str(), X_OK), 0) << f;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const std::string s = std::to_string(size);
        const std::string icon = Usr("share/icons/hicolor/" + s + "x" + s + "/apps/" + kId + ".png");
        EXPECT_EQ(PngSize(icon), std::make_pair(size, size)) << icon;
    }
    std::vector<std::string> manifest;
    for (const char* component : kComponents) {
        std::ifstream in(Manifest(component));
        for (std::string line; std::getline(in, line);) manifest.push_back(line);
    }
    std::set<std::string> listed;
    for (const std::string& path : manifest) listed.insert(stage.Path() + path);
    EXPECT_EQ(Entries(stage.Path()), listed) << "the manifest lists exactly what is in the tree";
    size_t dataFiles = 0;
    for (const auto& e : fs::recursive_directory_iterator(NUBRIX_SOURCE_DIR "/data")) dataFiles += e.is_regular_file();
    EXPECT_EQ(Entries(Usr("share/games/nubrix")).size(), dataFiles) << "all of data/";

    // The desktop entry and the metainfo pass their validators.
    ChildResult entry =
        RunProgram({"/usr/bin/desktop-file-validate", Usr(std::string("share/applications/") + kId + ".desktop")});
    EXPECT_EQ(entry.exitCode, 0) << entry.out << entry.err;
    EXPECT_EQ(entry.out + entry.err, "");
    ChildResult meta = RunProgram(
        {"/usr/bin/appstreamcli", "validate", "--no-net", Usr(std::string("share/metainfo/") + kId + ".metainfo.xml")});
    EXPECT_EQ(meta.exitCode, 0) << meta.out << meta.err;
    EXPECT_EQ(meta.out.find("E:"), std::string::npos) << meta.out;
    EXPECT_EQ(meta.out.find("W:"), std::string::npos) << meta.out;

    // The launcher, with XDG_DATA_HOME unset: the player's folder is
    // ~/.local/share/nubrix, created, with data/ pointing at the install.
    // A player of an earlier install, whose data/ still points at where the
    // data was then, keeps the folder and record; the link follows.
    const std::string folder = home.Path() + "/.local/share/nubrix";
    fs::create_directories(folder);
    fs::create_directory_symlink("/usr/share/nubrix", folder + "/data");
    auto game = Launch("");
    unsigned long window = desktop.FindWindow("Nubrix");
    ASSERT_NE(window, 0u) << "no window; output:\n" << game->Output();
    EXPECT_EQ(WorkingFolder(game->Pid()), folder);
    EXPECT_EQ(LinkTarget(folder + "/data"), Usr("share/games/nubrix"));
    // The desktop entry's StartupWMClass names the running window's class.
    ChildResult wmClass = RunProgram({"/usr/bin/xprop", "-id", std::to_string(window), "WM_CLASS"});
    EXPECT_NE(wmClass.out.find("\"nubrix\", \"Nubrix\""), std::string::npos) << wmClass.out;
    ASSERT_TRUE(desktop.WaitFor(window,
                                [](const nubrix_test::Picture& p) {
                                    nubrix_test::Rgb c = p.At(p.width - 4, p.height - 4);
                                    return c.r < 8 && c.g < 8 && c.b == 80;  // the menu's ground
                                },
                                30))
        << "no menu; output:\n"
        << game->Output();

    // A suspend saves the record in the player's folder, nowhere else.
    desktop.Iconify(window);
    for (int i = 0; i < 100 && !nubrix_test::FileExists(folder + "/.varnokstate"); ++i) Pause(0.1);
    EXPECT_TRUE(nubrix_test::FileExists(folder + "/.varnokstate")) << game->Output();
    EXPECT_EQ(nubrix_test::Fields(nubrix_test::ReadFile(folder + "/.varnokstate")).size(), 99u);
    EXPECT_TRUE(fs::is_empty(elsewhere.Path()));
    desktop.Close("Nubrix");
    EXPECT_EQ(game->WaitForExit(20), 0) << game->Output();

    // An absolute XDG_DATA_HOME is the player's choice; a relative one does
    // not count.
    const struct {
        std::string xdg, folder;
    } homes[] = {
        {home.Path() + "/xdg", home.Path() + "/xdg/nubrix"},
        {"relative/data", folder},
    };
    for (const auto& h : homes) {
        auto again = Launch(h.xdg);
        ASSERT_NE(desktop.FindWindow("Nubrix"), 0u) << h.xdg << "\n" << again->Output();
        EXPECT_EQ(WorkingFolder(again->Pid()), h.folder) << h.xdg;
        EXPECT_EQ(LinkTarget(h.folder + "/data"), Usr("share/games/nubrix")) << h.xdg;
        desktop.Close("Nubrix");
        EXPECT_EQ(again->WaitForExit(20), 0) << again->Output();
    }

    // Uninstalling removes every installed file and the game's own folders;
    // the player's record stays.
    for (const char* component : kComponents) {
        ChildResult r = RunProgram(
            {NUBRIX_CMAKE, "-DMANIFEST=" + Manifest(component), "-P", NUBRIX_SOURCE_DIR "/packaging/uninstall.cmake"},
            {"DESTDIR=" + stage.Path()}, "", 60);
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_FALSE(fs::exists(Manifest(component)));
    }
    EXPECT_EQ(Entries(stage.Path()), std::set<std::string>{}) << "files left behind";
    for (const char* own : {"share/games/nubrix", "lib/games/nubrix", "share/doc/nubrix", "share/doc/nubrix-data"}) {
        EXPECT_FALSE(fs::exists(Usr(own))) << own;
    }
    EXPECT_TRUE(fs::exists(Usr("share/applications"))) << "shared folders stay";
    EXPECT_TRUE(nubrix_test::FileExists(folder + "/.varnokstate"));
}

}  // namespace
}  // namespace e2e
