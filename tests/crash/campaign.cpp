// A campaign of kills at random moments: a quiet upgrade from 1.0 to 2.0 and, separately, a quiet uninstall, each ended by TerminateProcess at a seeded moment and followed by the next run; the machine must then be exactly the old installation or exactly the new one.
//
// Upgrade trials. The next run after the kill is `SETUP.EXE /S /VERIFY` of the 2.0 medium: it
// finds the killed run first (it undoes an unfinished one, or finishes one that had committed),
// then only checks the medium, and ends with 1620 since the medium lists no checksums (1618
// would say the killed run could not be dealt with). So the state right after it shows what the
// recovery alone made of the kill: it must be exactly 1.0 or exactly 2.0, files (names and
// bytes), the Windows-directory files, the shortcuts, and every registry value the program
// writes (the uninstall entry, App Paths, the txtfile commands and the suffix, the SharedDLLs
// counts), with no run record left. Then the full quiet 2.0 upgrade runs, as a deployment
// service would retry it, and must end with 0 in exactly 2.0: what a kill leaves must never
// block a later run. A moment past the end of the run (it ended first) counts as a trial too.
//
// Uninstall trials. Another program's file in the Windows directory, with its own SharedDLLs
// count, is also the installation's shared library (same name and bytes: the count goes from 1
// to 2 and back), a second file of that program is not the installation's at all, and the
// person keeps a file in a folder beside the target. The text-file commands start as the
// system's own, which the uninstaller puts back, and the suffix is a text file's already (the
// uninstaller leaves text files text files). After the killed quiet uninstall (the
// entry's QuietUninstallString) the next one must end with 0 and leave the machine exactly as
// before the installation, but for the uninstaller itself, which waits for the restart. When
// the kill came after the run had removed everything, the entry is gone too and the next run
// finds nothing to do (2): that passes only when the machine was already as before.
//
// Options after the GoogleTest ones: --upgrades=N, --uninstalls=N (the trials of each kind),
// --seed=S, --length=MS. Trial k of either kind draws its moment from the seed S + k; an even
// seed kills anywhere in the run, an odd one in its last fifth of the run's length (the
// shortest of three unkilled runs, or MS). `--seed=S --length=MS --upgrades=1 --uninstalls=0`
// replays upgrade trial S of a campaign that printed that length: the same moment, though a
// run's own speed varies, so the kill lands near the same step rather than on it.
#include "../e2e/uninstall_fixture.h"

#include <stdio.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>

namespace {

struct Options {
    int upgrades = 15;
    int uninstalls = 5;
    unsigned seed = 0;
    DWORD length = 0;   // the length of an unkilled run, when given rather than measured
} options;

const char kRecordKey[] = "Software\\Quillor Setup\\Run record";
const char kSuffixKey[] = ".qz7";
const char kPendingValue[] = "PendingFileRenameOperations";

// What each place holds: "<part>\t<item>" -> its content (size and hash, link fields, a
// registry value's type and data).
typedef std::map<std::string, std::string> State;

std::string PartOf(const std::string& key)
{
    return key.substr(0, key.find('\t'));
}

bool StartsWithCase(const std::string& text, const std::string& start)
{
    return text.size() >= start.size() &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str(), (int)start.size(),
                          start.c_str(), (int)start.size()) == CSTR_EQUAL;
}

std::string Printable(const std::string& bytes)
{
    std::string text;
    char hex[8];
    for (unsigned char c : bytes) {
        if (c >= 32 && c < 127) {
            text += (char)c;
        } else {
            snprintf(hex, sizeof hex, "\\x%02x", c);
            text += hex;
        }
    }
    return text;
}

std::string FileContent(const std::string& path)
{
    std::string bytes = ReadWholeFile(path);
    return std::to_string(bytes.size()) + " bytes #" +
           std::to_string(std::hash<std::string>()(bytes) % 1000000007u);
}

// Where the logs of the trials that fail are kept.
std::string LogFolder()
{
    return ProgramFolder() + "\\crash-logs";
}

// A kind of difference, counted once per trial, with the seeds of the trials that showed it.
struct Tally {
    int trials = 0;
    int failed = 0;
    int partway = 0;   // kills that left the machine in neither state before the next run
    std::map<std::string, std::vector<unsigned>> kinds;
};

class CrashCampaign : public UninstallTest {
protected:
    void SetUp() override
    {
        UninstallTest::SetUp();
        tag = "QUILLOR-E2E-" + std::to_string(GetCurrentProcessId());
        savedPending = ReadStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue);
        Reset();
    }

    void TearDown() override
    {
        Reset();
        RestoreStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, savedPending);
        RemoveMedium(&second);
        UninstallTest::TearDown();
    }

    // The Files lines of a version: about 40 files in a few folders, the editor, the shared
    // library in the Windows directory and the uninstaller. 2.0 changes some, adds some (a new
    // folder, a second Windows-directory file) and drops some (a whole folder among them).
    // Each file's bytes are set by its size and seed; a changed file has another seed. Besides,
    // `parts` small files that every version installs.
    struct Source {
        std::string name;
        size_t size;
        unsigned seed;
    };
    std::vector<Source> Sources(int version)
    {
        std::vector<Source> files = {{"Quillor.exe", 60000, version == 1 ? 1u : 101u},
                                     {"README.TXT", 2000, 2},
                                     {"LIB.DLL", 40000, version == 1 ? 3u : 103u}};
        for (unsigned i = 1; i <= 14; i++)
            files.push_back({"DATA\\A" + std::to_string(10 + i) + ".DAT", 150000 + i * 9000,
                             i <= 5 && version == 2 ? 200 + i : 10 + i});
        for (unsigned i = 1; i <= (version == 1 ? 10u : 9u); i++)
            files.push_back({"DOCS\\D" + std::to_string(10 + i) + ".TXT", 12000 + i * 700,
                             i <= 2 && version == 2 ? 300 + i : 30 + i});
        for (unsigned i = 1; i <= 6; i++)
            files.push_back({"LIB\\L" + std::to_string(10 + i) + ".BIN", 70000,
                             i == 6 && version == 2 ? 406 : 40 + i});
        for (unsigned i = 1; i <= 4; i++)
            files.push_back({"DATA\\OLD\\O" + std::to_string(10 + i) + ".DAT", 30000,
                             version == 1 ? 50 + i : 0});
        if (version == 2) {
            files.push_back({"NEW.DLL", 30000, 60});
            for (unsigned i = 1; i <= 4; i++)
                files.push_back({"NEWS\\N" + std::to_string(10 + i) + ".TXT", 9000, 70 + i});
        }
        for (unsigned i = 1; i <= (unsigned)parts; i++)
            files.push_back({"PARTS\\P" + std::to_string(1000 + i) + ".DAT", 100, 1000 + i});
        std::vector<Source> kept;
        for (const Source& file : files)
            if (file.seed != 0) kept.push_back(file);
        return kept;
    }

    std::string Script(int version)
    {
        std::string script = "[Install]\r\nApplication=Quillor\r\nCaption=Quillor Setup\r\n"
                             "Version=" + std::to_string(version) + ".0\r\n[Files]\r\n"
                             "Script=SETUP.INF\r\nUninstaller=%Purgax.exe\r\n";
        int number = 0;
        for (const Source& file : Sources(version)) {
            std::string key = "F" + std::to_string(++number) + "=";
            if (file.name == "LIB.DLL" || file.name == "NEW.DLL")
                script += key + "%" + tag + "-" + file.name + ";" + file.name + "\r\n";
            else
                script += key + file.name + "\r\n";
        }
        script += kGroupLines;
        if (version == 2) script += "News.lnk=NEWS\\N11.TXT,What is new,,0\r\n";
        return script + "[Registration]\r\nSuffixes=qz7\r\n";
    }

    // Lays out both media: 1.0 in medium (its uninstaller with bytes of its own after its
    // end, so that the two versions' Windows-directory uninstallers differ) and 2.0 in second.
    void LayOutBothVersions()
    {
        ASSERT_NO_FATAL_FAILURE(LayOutScript(Script(1), {}));
        std::string built;
        ASSERT_EQ(0, ReadFileBytes(medium.folder + "\\Purgax.exe", &built));
        ASSERT_EQ(0, WriteMediumFile(medium, "Purgax.exe", built + "of version 1.0"));
        ASSERT_EQ(0, CreateMedium("quillor-crash", Script(2), &second));
        ASSERT_EQ(0, CopyProgramToMedium(second, "Purgax.exe"));
        for (int version : {1, 2})
            for (const Source& file : Sources(version))
                ASSERT_EQ(0, WriteMediumFile(version == 1 ? medium : second, file.name,
                                             PatternBytes(file.size, file.seed)));
    }

    // Removes whatever the runs of either version left, and puts back the values they change.
    void Reset()
    {
        CloseProgram(&program);
        RemoveEarlierInstallation();
        if (!medium.target.empty()) RemoveTree(medium.target);
        for (const ListedFile& file : ListFolder(WindowsFolder()))
            if (StartsWithCase(file.name, "Purgax.exe.") || StartsWithCase(file.name, tag))
                DeleteFileA((WindowsFolder() + "\\" + file.name).c_str());
        for (const ListedFile& file : ListFolder(places.desktop))
            if (StartsWithCase(file.name, "Quillor.lnk"))
                DeleteFileA((places.desktop + "\\" + file.name).c_str());
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kSuffixKey);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kRecordKey);
        RestoreStoredValue(HKEY_CLASSES_ROOT, kOpenCommand, "", savedOpen);
        RestoreStoredValue(HKEY_CLASSES_ROOT, kPrintCommand, "", savedPrint);
        RestoreStoredValue(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, savedPending);
    }

    // Starts a program quietly: SETUP.EXE of a medium with switches, or a whole command line,
    // each run with a log of its own.
    void StartQuietSetup(const Medium& from, const std::string& switches)
    {
        std::string line = "/S " + switches + " /LOG=\"" + NextLog() + "\"";
        ASSERT_EQ(0, StartProgramWithArguments((from.folder + "\\SETUP.EXE").c_str(), line,
                                               from.folder.c_str(), &program));
    }
    void StartQuietUninstall()
    {
        ASSERT_EQ(0, StartCommandLine(quietUninstall + " /LOG=\"" + NextLog() + "\"", "C:\\",
                                      &program));
    }
    // The logs of the runs of a trial, under trialName; those of a trial that passes go again.
    std::string NextLog()
    {
        return LogFolder() + "\\" + trialName + "-" + std::to_string(++runs) + ".log";
    }
    void KeepLogs(bool keep)
    {
        for (const ListedFile& file : ListFolder(LogFolder()))
            if (!keep && file.name.rfind(trialName + "-", 0) == 0)
                DeleteFileA((LogFolder() + "\\" + file.name).c_str());
        runs = 0;
    }
    std::string InstallSwitches() { return "/REGISTER /D=\"" + medium.target + "\""; }

    // Waits (bounded) for the end of the started program; its exit status, or 999.
    DWORD Finish()
    {
        DWORD status = 999;
        if (WaitForSingleObject(program.process.hProcess, kExitWaitMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(program.process.hProcess, &status);
        CloseProgram(&program);
        return status;
    }

    DWORD RunQuietSetup(const Medium& from, const std::string& switches)
    {
        StartQuietSetup(from, switches);
        return Finish();
    }

    // Lets the started program run for moment milliseconds, then kills it. Returns whether it
    // was still running.
    bool KillAt(DWORD moment)
    {
        bool running = WaitForSingleObject(program.process.hProcess, moment) == WAIT_TIMEOUT;
        CloseProgram(&program);
        return running;
    }

    // Milliseconds from the start of the program to its end, which must be status 0: the
    // shortest of three runs, each after prepare, so that a kill in the last fifth of a run
    // seldom comes after its end.
    DWORD TimeToEnd(const std::function<void()>& prepare, const std::function<void()>& start)
    {
        if (options.length != 0) {
            prepare();
            start();
            EXPECT_EQ(0u, Finish());
            return options.length;
        }
        std::vector<DWORD> lengths;
        for (int run = 0; run < 3; run++) {
            prepare();
            DWORD began = GetTickCount();
            start();
            EXPECT_EQ(0u, Finish());
            lengths.push_back(GetTickCount() - began);
        }
        return *std::min_element(lengths.begin(), lengths.end());
    }

    // The moment of trial seed: anywhere in a run of length milliseconds, or in its last fifth.
    static DWORD Moment(unsigned seed, DWORD length)
    {
        std::mt19937 draw(seed);
        double at = std::uniform_real_distribution<double>(0.0, 1.0)(draw);
        return (DWORD)(length * (seed % 2 ? 0.8 + 0.2 * at : at));
    }

    void Add(State* state, const std::string& part, const std::string& item,
             const std::string& content)
    {
        (*state)[part + "\t" + item] = content;
    }

    void AddTree(State* state, const std::string& part, const std::string& folder)
    {
        for (const ListedFile& entry : ListFolder(folder)) {
            std::string path = folder + "\\" + entry.name;
            if (entry.isDirectory) {
                Add(state, part, "folder " + path, "");
                AddTree(state, part, path);
            } else if (path.size() > 4 && path.substr(path.size() - 4) == ".lnk") {
                LinkContents link = LoadLink(path);
                Add(state, part, "shortcut " + path,
                    link.target + " | " + link.description + " | " + link.iconFile + "," +
                        std::to_string(link.iconIndex));
            } else {
                Add(state, part, "file " + path, FileContent(path));
            }
        }
    }

    // The values under a registry key, those whose name holds only when given.
    void AddValues(State* state, const std::string& part, HKEY root, const std::string& path,
                   const std::string& only = "")
    {
        Snapshot lines;
        AddKey(&lines, root, path);
        for (const std::string& line : lines) {
            size_t name = line.find('|');
            size_t type = line.find('|', name + 1);
            if (name == std::string::npos) {
                Add(state, part, line, "");
                continue;
            }
            std::string value = line.substr(name + 1, type - name - 1);
            if (!only.empty() && !Contains(value, only) && !Contains(value, "Purgax"))
                continue;
            size_t data = line.find('|', type + 1);
            Add(state, part, line.substr(0, type),
                "type " + line.substr(type + 1, data - type - 1) + " " +
                    Printable(line.substr(data + 1)));
        }
    }

    static bool Contains(const std::string& text, const std::string& part)
    {
        std::string upper = text, wanted = part;
        CharUpperBuffA(&upper[0], (DWORD)upper.size());
        CharUpperBuffA(&wanted[0], (DWORD)wanted.size());
        return upper.find(wanted) != std::string::npos;
    }

    // Everything an installation writes, and what the uninstall trials keep of others.
    State Capture()
    {
        State state;
        AddTree(&state, "files", medium.target);
        AddTree(&state, "others' files", medium.root + "\\Other");
        for (const ListedFile& file : ListFolder(WindowsFolder()))
            if (StartsWithCase(file.name, "Purgax.exe") || StartsWithCase(file.name, tag))
                Add(&state, "Windows directory", "file " + WindowsFolder() + "\\" + file.name,
                    FileContent(WindowsFolder() + "\\" + file.name));
        AddTree(&state, "shortcuts", places.group);
        for (const ListedFile& file : ListFolder(places.desktop))
            if (StartsWithCase(file.name, "Quillor.lnk"))
                Add(&state, "shortcuts", "desktop " + file.name,
                    file.name == "Quillor.lnk"
                        ? LoadLink(places.desktop + "\\" + file.name).target
                        : FileContent(places.desktop + "\\" + file.name));
        AddValues(&state, "uninstall entry", HKEY_LOCAL_MACHINE, kQuillorEntry);
        AddValues(&state, "registration", HKEY_LOCAL_MACHINE,
                  std::string(kAppPaths) + "\\Quillor.exe");
        AddValues(&state, "registration", HKEY_CLASSES_ROOT, kOpenCommand);
        AddValues(&state, "registration", HKEY_CLASSES_ROOT, kPrintCommand);
        AddValues(&state, "registration", HKEY_CLASSES_ROOT, kSuffixKey);
        AddValues(&state, "shared counts", HKEY_LOCAL_MACHINE, kSharedFiles, tag);
        AddValues(&state, "run record", HKEY_LOCAL_MACHINE, kRecordKey);
        return state;
    }

    // The items of one part of a state.
    static State Part(const State& state, const std::string& part)
    {
        State items;
        for (const auto& item : state)
            if (PartOf(item.first) == part) items.insert(item);
        return items;
    }

    // What one item that differs from reference is. other is the other version of an
    // upgrade; without one the reference is the machine before an installation, so whatever
    // of it is gone or changed was another's.
    static std::string KindOf(const std::string& key, const State& actual,
                              const State& reference, const State* other)
    {
        const std::string part = PartOf(key);
        const std::string item = key.substr(part.size() + 1);
        const bool here = actual.count(key) != 0;
        const bool there = reference.count(key) != 0;
        if (part == "run record") return "run record left";
        if (part == "shared counts") return "shared count off";
        if (here && !there) {
            if (item.back() == '~') return "set-aside file left";
            if (item.rfind("folder ", 0) == 0) {
                const std::string inside = item.substr(7) + "\\";
                for (const auto& entry : actual) {
                    size_t path = entry.first.find(' ');
                    if (path != std::string::npos &&
                        entry.first.compare(path + 1, inside.size(), inside) == 0)
                        return "folder left";
                }
                return "empty folder left";
            }
            return item.rfind("file ", 0) == 0 ? "file left" : "item left";
        }
        if (other == nullptr) return "removed or changed what was not the installation's";
        if (!here) return "item missing";
        if (other->count(key) && other->at(key) == actual.at(key))
            return "an item of the other version";
        return item.rfind("file ", 0) == 0 ? "file of neither version" : "value of neither version";
    }

    // Adds the differences of actual from reference to kinds (each prefixed with its part)
    // and describes them in details.
    static void Compare(const State& actual, const State& reference, const State* other,
                        std::set<std::string>* kinds, std::string* details)
    {
        std::set<std::string> keys;
        for (const auto& item : actual) keys.insert(item.first);
        for (const auto& item : reference) keys.insert(item.first);
        for (const std::string& key : keys) {
            auto here = actual.find(key), there = reference.find(key);
            if (here != actual.end() && there != reference.end() && here->second == there->second)
                continue;
            std::string kind = KindOf(key, actual, reference, other);
            // One line for the record, however many changes it holds.
            if (!kinds->insert(PartOf(key) + ": " + kind).second && PartOf(key) == "run record")
                continue;
            std::string line = "      " + kind + ": " + key.substr(PartOf(key).size() + 1);
            if (here != actual.end() && there != reference.end())
                line += " (" + there->second + " -> " + here->second + ")";
            if (line.size() > 220) line = line.substr(0, 217) + "...";
            *details += line + "\n";
        }
    }

    // "1.0", "2.0", or "" with the kinds of the mix and its details. Each part that is one
    // version's while another is the other's is named; a part that is neither is compared,
    // item by item, with the version it is closer to.
    static std::string Judge(const State& actual, const State& older, const State& newer,
                             std::set<std::string>* kinds, std::string* details)
    {
        if (actual == older) return "1.0";
        if (actual == newer) return "2.0";
        std::set<std::string> parts;
        for (const State* state : {&actual, &older, &newer})
            for (const auto& item : *state) parts.insert(PartOf(item.first));
        std::string olderParts, newerParts;
        for (const std::string& part : parts) {
            State mine = Part(actual, part), old = Part(older, part), nu = Part(newer, part);
            if (mine == old && mine == nu) continue;
            if (mine == old) {
                olderParts += (olderParts.empty() ? "" : ", ") + part;
            } else if (mine == nu) {
                newerParts += (newerParts.empty() ? "" : ", ") + part;
            } else {
                size_t toOld = 0, toNew = 0;
                for (const auto& item : mine) {
                    toOld += !old.count(item.first) || old.at(item.first) != item.second;
                    toNew += !nu.count(item.first) || nu.at(item.first) != item.second;
                }
                bool nearOld = toOld + old.size() <= toNew + nu.size();
                Compare(mine, nearOld ? old : nu, nearOld ? &nu : &old, kinds, details);
            }
        }
        if (!olderParts.empty() && !newerParts.empty()) {
            kinds->insert("2.0's " + newerParts + " with 1.0's " + olderParts);
            *details += "      2.0: " + newerParts + "; 1.0: " + olderParts + "\n";
        }
        return "";
    }

    void Note(Tally* tally, unsigned seed, const std::set<std::string>& kinds)
    {
        for (const std::string& kind : kinds) tally->kinds[kind].push_back(seed);
        tally->failed += !kinds.empty();
    }

    static void Print(const std::string& text)
    {
        fputs(text.c_str(), stdout);
        fflush(stdout);
    }

    // The count of trials that left neither state, and each kind seen, with seeds to replay.
    void Summarize(const char* what, const Tally& tally)
    {
        Print(std::string(what) + ": " + std::to_string(tally.failed) + " of " +
              std::to_string(tally.trials) + " kills left a mix (goal: 0); " +
              std::to_string(tally.partway) + " caught the run partway\n");
        for (const auto& kind : tally.kinds) {
            std::string seeds;
            for (size_t i = 0; i < kind.second.size() && i < 8; i++)
                seeds += " " + std::to_string(kind.second[i]);
            Print("  " + std::to_string(kind.second.size()) + " x " + kind.first + "  (seeds" +
                  seeds + (kind.second.size() > 8 ? " ..." : "") + ")\n");
        }
    }

    // Installs 1.0 afresh over a machine without it; it must be the state older.
    void InstallOlder(const State* older)
    {
        Reset();
        ASSERT_EQ(0u, RunQuietSetup(medium, InstallSwitches()));
        if (older) {
            std::set<std::string> kinds;
            std::string details;
            Compare(Capture(), *older, nullptr, &kinds, &details);
            ASSERT_EQ("", details) << "1.0 came out otherwise this time";
        }
    }

    Medium second;
    std::string tag;
    std::string quietUninstall;
    StoredValue savedPending;
    int runs = 0;
    int parts = 0;
    std::string trialName = "setup";
};

TEST_F(CrashCampaign, AKilledUpgradeIsThenExactlyTheOldOrTheNewInstallation)
{
    if (options.upgrades == 0) GTEST_SKIP() << "no upgrade trials asked for";
    ASSERT_NO_FATAL_FAILURE(LayOutBothVersions());
    ASSERT_NO_FATAL_FAILURE(InstallOlder(nullptr));
    const State older = Capture();
    DWORD length = TimeToEnd([&] { InstallOlder(&older); },
                             [&] { StartQuietSetup(second, InstallSwitches()); });
    const State newer = Capture();
    KeepLogs(false);
    ASSERT_NE(older, newer);
    for (const State* state : {&older, &newer})
        ASSERT_TRUE(Part(*state, "run record").empty()) << "a finished run left its record";
    Print("upgrade: " + std::to_string(older.size()) + " items in 1.0, " +
          std::to_string(newer.size()) + " in 2.0; the unkilled run takes " +
          std::to_string(length) + " ms; seeds from " + std::to_string(options.seed) + "\n");

    Tally tally;
    for (int trial = 0; trial < options.upgrades; trial++) {
        const unsigned seed = options.seed + trial;
        const DWORD moment = Moment(seed, length);
        trialName = "upgrade-" + std::to_string(seed);
        ASSERT_NO_FATAL_FAILURE(InstallOlder(&older));
        ASSERT_NO_FATAL_FAILURE(StartQuietSetup(second, InstallSwitches()));
        const bool killed = KillAt(moment);
        const State killedState = Capture();
        tally.partway += killedState != older && killedState != newer;

        std::set<std::string> kinds;
        std::string details;
        DWORD recovery = RunQuietSetup(second, "/VERIFY");
        if (recovery != kExitDamagedMedium)
            kinds.insert("recovery run: exit " + std::to_string(recovery));
        std::string after = Judge(Capture(), older, newer, &kinds, &details);
        DWORD again = RunQuietSetup(second, InstallSwitches());
        std::set<std::string> later;
        std::string laterDetails;
        Compare(Capture(), newer, &older, &later, &laterDetails);
        if (again != 0) later.insert("exit " + std::to_string(again));
        for (const std::string& kind : later) kinds.insert("next upgrade: " + kind);

        // What the next upgrade finds after a mix is told by the mix already.
        if (!after.empty()) details += laterDetails;
        tally.trials++;
        Note(&tally, seed, kinds);
        KeepLogs(!kinds.empty());
        Print("  upgrade seed " + std::to_string(seed) + (seed % 2 ? " last fifth" : " anywhere") +
              ": " + (killed ? "killed at " : "ended before ") + std::to_string(moment) +
              " ms; after the recovery run: " + (after.empty() ? "A MIX" : after) +
              "; after the next upgrade (exit " + std::to_string(again) + "): " +
              (laterDetails.empty() && again == 0 ? "2.0" : "NOT 2.0") + "\n");
        for (const std::string& kind : kinds) Print("    " + kind + "\n");
        Print(details);
    }
    Summarize("upgrade", tally);
    Print("the logs of these trials are in " + LogFolder() + "\n");
    EXPECT_EQ(0, tally.failed) << "kills that left neither 1.0 nor 2.0 (see above)";
}

TEST_F(CrashCampaign, AKilledUninstallIsFinishedByTheNextOne)
{
    if (options.uninstalls == 0) GTEST_SKIP() << "no uninstall trials asked for";
    // The removal itself takes a few milliseconds of a run that is mostly the start and end of
    // a process: 300 more files give the kills more of it to land in.
    parts = 300;
    ASSERT_NO_FATAL_FAILURE(LayOutBothVersions());
    const std::string shared = WindowsFolder() + "\\" + tag + "-LIB.DLL";
    // Another program's files: its copy of the shared library, counted once, and one of its own;
    // the person's file beside the target.
    auto plant = [&] {
        ASSERT_EQ(0, WriteFileBytes(shared, PatternBytes(40000, 3)));
        ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kSharedFiles, shared.c_str(),
                                        REG_DWORD, Dword(1)));
        const std::string own = WindowsFolder() + "\\" + tag + "-OTHER.DLL";
        ASSERT_EQ(0, WriteFileBytes(own, PatternBytes(5000, 90)));
        ASSERT_EQ(0, WriteRegistryValue(HKEY_LOCAL_MACHINE, kSharedFiles, own.c_str(), REG_DWORD,
                                        Dword(3)));
        SetExpandableCommand(kOpenCommand, "%SystemRoot%\\system32\\NOTEPAD.EXE %1");
        SetExpandableCommand(kPrintCommand, "%SystemRoot%\\system32\\NOTEPAD.EXE /p %1");
        ASSERT_EQ(0, WriteRegistryText(HKEY_CLASSES_ROOT, kSuffixKey, "", "txtfile"));
        ASSERT_EQ(0, MakeDirectories(medium.root + "\\Other"));
        ASSERT_EQ(0, WriteFileBytes(medium.root + "\\Other\\MINE.TXT", "the person's own"));
    };
    // The machine before the installation; the uninstaller in the Windows directory waits for
    // the restart and is left out.
    auto before = [&] {
        State state = Capture();
        state.erase("Windows directory\tfile " + uninstaller);
        return state;
    };
    auto install = [&] {
        ASSERT_NO_FATAL_FAILURE(Reset());
        ASSERT_NO_FATAL_FAILURE(plant());
        ASSERT_EQ(0u, RunQuietSetup(medium, InstallSwitches()));
    };
    ASSERT_NO_FATAL_FAILURE(Reset());
    ASSERT_NO_FATAL_FAILURE(plant());
    const State machine = before();
    ASSERT_NO_FATAL_FAILURE(install());
    ASSERT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE, kQuillorEntry, "QuietUninstallString",
                                  &quietUninstall));
    const State installed = before();
    DWORD length = TimeToEnd(install, [&] { StartQuietUninstall(); });
    std::set<std::string> kinds;
    std::string details;
    Compare(before(), machine, nullptr, &kinds, &details);
    ASSERT_EQ("", details) << "an unkilled uninstall left the machine otherwise";
    KeepLogs(false);
    Print("uninstall: the unkilled run takes " + std::to_string(length) + " ms; seeds from " +
          std::to_string(options.seed) + "\n");

    Tally tally;
    for (int trial = 0; trial < options.uninstalls; trial++) {
        const unsigned seed = options.seed + trial;
        const DWORD moment = Moment(seed, length);
        trialName = "uninstall-" + std::to_string(seed);
        ASSERT_NO_FATAL_FAILURE(install());
        ASSERT_NO_FATAL_FAILURE(StartQuietUninstall());
        const bool killed = KillAt(moment);
        const State killedState = before();
        const bool alreadyGone = killedState == machine;
        tally.partway += !alreadyGone && killedState != installed;
        ASSERT_NO_FATAL_FAILURE(StartQuietUninstall());
        DWORD next = Finish();

        kinds.clear();
        details.clear();
        Compare(before(), machine, nullptr, &kinds, &details);
        if (next != 0 && !(next == kNothingDoneStatus && alreadyGone))
            kinds.insert("next uninstall: exit " + std::to_string(next));
        tally.trials++;
        Note(&tally, seed, kinds);
        KeepLogs(!kinds.empty());
        Print("  uninstall seed " + std::to_string(seed) +
              (seed % 2 ? " last fifth" : " anywhere") + ": " +
              (killed ? "killed at " : "ended before ") + std::to_string(moment) +
              " ms; the next uninstall: exit " + std::to_string(next) + ", " +
              (kinds.empty() ? "nothing left" : "NOT CLEAN") + "\n");
        for (const std::string& kind : kinds) Print("    " + kind + "\n");
        Print(details);
    }
    Summarize("uninstall", tally);
    Print("the logs of these trials are in " + LogFolder() + "\n");
    EXPECT_EQ(0, tally.failed) << "killed uninstalls not finished by the next one (see above)";
}

}  // namespace

// GoogleTest takes its own options first; then --upgrades=N, --uninstalls=N and --seed=S.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    options.seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (int i = 1; i < argc; i++) {
        std::string option = argv[i];
        std::string value = option.substr(option.find('=') + 1);
        if (option.rfind("--upgrades=", 0) == 0) {
            options.upgrades = atoi(value.c_str());
        } else if (option.rfind("--uninstalls=", 0) == 0) {
            options.uninstalls = atoi(value.c_str());
        } else if (option.rfind("--length=", 0) == 0) {
            options.length = (DWORD)strtoul(value.c_str(), nullptr, 10);
        } else if (option.rfind("--seed=", 0) == 0) {
            options.seed = (unsigned)strtoul(value.c_str(), nullptr, 10);
        } else {
            fprintf(stderr, "unknown option %s (--upgrades=N --uninstalls=N --seed=S --length=MS)\n",
                    argv[i]);
            return 2;
        }
    }
    RemoveTree(LogFolder());
    MakeDirectories(LogFolder());
    printf("crash campaign: seed %u (replay with --seed=%u)\n", options.seed, options.seed);
    return RUN_ALL_TESTS();
}
