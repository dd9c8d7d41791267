// Damaged copies of the game's own files, each run through the real program (RunGame, as main runs it)
// for a few frames in a child process: the settings, a level-0 object, Orb.kvo, a level-2 object, a
// model, the cursor, a DDS and a PNG texture, a sound and the opening video; truncated, bit-flipped,
// emptied, deleted, replaced by a folder, and for JSON files given wrong types, missing fields, huge and
// negative numbers and deep nesting. Each run must end without a crash, and either cleanly (exit 0; any
// line on standard error is a background level's load failure) or with exactly one line on standard
// error and a non-zero exit. The child runs the frames on the fixed test step and quits after a frame
// count; its end joins the level worker, so every level load is over before the run is judged.
//
// The intact files and four damages run by default, side by side, each on its own copy of the files;
// VELA_DAMAGE_RUNS=<count> adds that many random ones (by hand).
#include "Screens/StateStack.h"
#include "Spine/Game.h"
#include "Spine/ProgramEntry.h"

#include "Support/ScriptedProgramRun.h"
#include "Support/TestSupport.h"

#include "mire/settings/Settings.h"
#include "mire/stringRegistry/StringRegistry.h"

#include "Platform/window/MessageQueue.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace VelaTest;
using namespace Vela::Literals;
namespace fs = std::filesystem;

namespace
{
    constexpr int FRAMES = 24;
    // Children run side by side, each on its own copy of the files.
    constexpr size_t RUNS_AT_ONCE = 5;
    constexpr int DEEP_NESTING = 1000000;

    enum class Damage
    {
        Truncate,
        Empty,
        FlipBits,
        Delete,
        Folder,
        // JSON only
        WrongType,
        MissingField,
        HugeNumber,
        DeepNesting,
    };
    constexpr Damage BINARY_DAMAGE[] = { Damage::Truncate, Damage::Empty, Damage::FlipBits, Damage::Delete, Damage::Folder };
    constexpr Damage JSON_DAMAGE[] = { Damage::Truncate, Damage::Empty, Damage::FlipBits, Damage::Delete, Damage::Folder,
                                       Damage::WrongType, Damage::MissingField, Damage::HugeNumber, Damage::DeepNesting };

    const char* DamageName(Damage aDamage)
    {
        switch (aDamage)
        {
        case Damage::Truncate: return "truncated";
        case Damage::Empty: return "emptied";
        case Damage::FlipBits: return "bit-flipped";
        case Damage::Delete: return "deleted";
        case Damage::Folder: return "replaced by a folder";
        case Damage::WrongType: return "a value of the wrong type";
        case Damage::MissingField: return "a field removed";
        case Damage::HugeNumber: return "a huge or negative number";
        case Damage::DeepNesting: return "a value nested 1000000 deep";
        }
        return "?";
    }

    // Which file of a kind is damaged; aPick chooses among several candidates.
    struct Target
    {
        const char* kind;
        bool json;
        bool inExecutableFolder; // else under the game asset root
        std::string relativeFolder;
        std::string extension; // the candidates: files of this extension in the folder (empty: exactly relativeFolder's file)
    };

    const std::vector<Target>& Targets()
    {
        static const std::vector<Target> TARGETS = {
            { "settings", true, true, "settings/Game.json", "" },
            { "level-0 object", true, false, "levels/Main Levels/Level 0 Tutorial.leveldata", "" },
            { "Orb.kvo", true, false, "definitions/Orb.kvo", "" },
            { "level-2 object", true, false, "levels/Main Levels/Level 2.leveldata", "" },
            { "model", false, false, "models", ".fbx" },
            { "cursor", false, true, "MouseCursor.cur", "" },
            { "DDS texture", false, false, "models", ".dds" },
            { "PNG texture", false, false, "sprites/UI", ".png" },
            { "sound", false, false, "Audio/Sfx/Ui", ".wav" },
            { "video", false, false, "Video/OpeningCutscene.mp4", "" },
        };
        return TARGETS;
    }

    std::string Lower(std::string aText)
    {
        std::transform(aText.begin(), aText.end(), aText.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return aText;
    }

    // The files a target may damage: a single file, or the sorted files of a folder (scene objects have no extension).
    std::vector<fs::path> Candidates(const fs::path& aBase, const Target& aTarget)
    {
        const fs::path where = aBase / aTarget.relativeFolder;
        if (fs::is_regular_file(where))
        {
            return { where };
        }
        std::vector<fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(where))
        {
            const bool wanted = aTarget.extension.empty() ? !entry.path().has_extension() : Lower(entry.path().extension().string()) == aTarget.extension;
            if (entry.is_regular_file() && wanted)
            {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    void CollectPointers(const nlohmann::json& aValue, const nlohmann::json::json_pointer& aPointer, std::vector<nlohmann::json::json_pointer>& someOut)
    {
        someOut.push_back(aPointer);
        if (aValue.is_object())
        {
            for (const auto& [key, child] : aValue.items())
                CollectPointers(child, aPointer / key, someOut);
        }
        else if (aValue.is_array())
        {
            for (size_t index = 0; index < aValue.size(); ++index)
                CollectPointers(aValue[index], aPointer / index, someOut);
        }
    }

    // aBytes with one damage of a JSON kind; falls back to a truncation when the text is no JSON to edit.
    std::string DamageJson(const std::string& aBytes, Damage aDamage, std::mt19937& aRandom)
    {
        nlohmann::json document = nlohmann::json::parse(aBytes, nullptr, false);
        std::vector<nlohmann::json::json_pointer> pointers;
        CollectPointers(document, nlohmann::json::json_pointer(), pointers);
        if (document.is_discarded() || pointers.size() < 2)
        {
            return aBytes.substr(0, aBytes.size() / 2);
        }
        // Not the root: a damaged value inside the document.
        const auto pick = [&](auto&& aFilter) {
            std::vector<nlohmann::json::json_pointer> chosen;
            for (size_t i = 1; i < pointers.size(); ++i)
                if (aFilter(document[pointers[i]], pointers[i]))
                    chosen.push_back(pointers[i]);
            if (chosen.empty())
                chosen.assign(pointers.begin() + 1, pointers.end());
            return chosen[aRandom() % chosen.size()];
        };
        switch (aDamage)
        {
        case Damage::WrongType: {
            const nlohmann::json::json_pointer where = pick([](const nlohmann::json&, const auto&) { return true; });
            const nlohmann::json replacements[] = { "text", 7, true, nullptr, nlohmann::json::array(), nlohmann::json::object(), 0.5 };
            for (size_t attempt = 0; attempt < 16; ++attempt)
            {
                const nlohmann::json& replacement = replacements[aRandom() % std::size(replacements)];
                if (replacement.type() != document[where].type())
                {
                    document[where] = replacement;
                    break;
                }
            }
            return document.dump(2);
        }
        case Damage::MissingField: {
            const nlohmann::json::json_pointer where = pick([&](const nlohmann::json&, const nlohmann::json::json_pointer& aPointer) {
                return document[aPointer.parent_pointer()].is_object();
            });
            nlohmann::json& parent = document[where.parent_pointer()];
            if (parent.is_object())
                parent.erase(where.back());
            else
                parent.erase(static_cast<size_t>(std::stoul(where.back())));
            return document.dump(2);
        }
        case Damage::HugeNumber: {
            const nlohmann::json::json_pointer where = pick([](const nlohmann::json& aValue, const auto&) { return aValue.is_number(); });
            const nlohmann::json numbers[] = { 1e308, -1e308, -1, 4294967296LL, 1e10, -2147483649LL, 0, 1e40 };
            document[where] = numbers[aRandom() % std::size(numbers)];
            return document.dump(2);
        }
        case Damage::DeepNesting: {
            // Written as text: building so deep a value here would recurse as much as the reader must not.
            const nlohmann::json::json_pointer where = pick([](const nlohmann::json&, const auto&) { return true; });
            document[where] = "@@DEEP@@";
            std::string text = document.dump();
            const std::string deep = std::string(DEEP_NESTING, '[') + "\"Fps\"" + std::string(DEEP_NESTING, ']');
            text.replace(text.find("\"@@DEEP@@\""), 10, deep);
            return text;
        }
        default:
            return aBytes;
        }
    }

    void WriteBytes(const fs::path& aPath, const std::string& someBytes)
    {
        fs::create_directories(aPath.parent_path());
        std::ofstream file(aPath, std::ios::binary | std::ios::trunc);
        file.write(someBytes.data(), static_cast<std::streamsize>(someBytes.size()));
    }

    struct Variant
    {
        const Target* target = nullptr;
        fs::path file;
        Damage damage = Damage::Truncate;
        std::string description;
    };

    // Damages the file in place; the original bytes are kept for Restore.
    void Apply(const Variant& aVariant, const std::string& anOriginal, std::mt19937& aRandom)
    {
        fs::remove_all(aVariant.file);
        switch (aVariant.damage)
        {
        case Damage::Delete:
            return;
        case Damage::Folder:
            fs::create_directories(aVariant.file / "inside");
            return;
        default:
            break;
        }
        std::string bytes = anOriginal;
        if (aVariant.damage == Damage::Truncate)
            bytes.resize(bytes.empty() ? 0 : aRandom() % bytes.size());
        else if (aVariant.damage == Damage::Empty)
            bytes.clear();
        else if (aVariant.damage == Damage::FlipBits)
        {
            const size_t flips = 1 + aRandom() % 8;
            for (size_t flip = 0; flip < flips && !bytes.empty(); ++flip)
                bytes[aRandom() % bytes.size()] ^= static_cast<char>(1u << (aRandom() % 8));
        }
        else
            bytes = DamageJson(anOriginal, aVariant.damage, aRandom);
        WriteBytes(aVariant.file, bytes);
    }

    struct Outcome
    {
        bool crashed = false;
        int signal = 0;
        int status = 0;
        std::vector<std::string> errorLines;
        std::string errors;
    };

    // The child: the real program with its standard error in a file, quit after FRAMES frames.
    [[noreturn]] void RunChild(const fs::path& anExecutableFolder, const fs::path& anErrorsFile)
    {
        const int errors = open(anErrorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nothing = open("/dev/null", O_WRONLY);
        if (errors < 0 || nothing < 0 || dup2(errors, STDERR_FILENO) < 0 || dup2(nothing, STDOUT_FILENO) < 0 || chdir(anExecutableFolder.c_str()) != 0)
            _exit(99);
        Vela::Settings::SetExecutableDirectoryForTesting(anExecutableFolder);

        ScriptInput input;
        int frames = 0;
        FrameTestHook hook;
        hook.afterRender = [&](Game& aGame) {
            ++frames;
            // The cursor file is read the first time the mouse is over the window.
            if (frames == 2)
                input.MoveMouseToCanvas(800.0f, 450.0f);
            if (frames == 4)
            {
                aGame.GetStateStack().Clear();
                aGame.GetStateStack().Push(StateId::MainMenu);
            }
            if (frames == 8)
            {
                aGame.GetStateStack().Clear();
                aGame.GetStateStack().Push(StateId::Opening);
            }
            if (frames == 14)
                aGame.GetStateStack().StartLevel("level_0"_sid);
            if (frames == FRAMES)
                Vela::Platform::PostQuitMessage(0);
        };
        SetFrameTestHook(&hook);
        const int status = RunGame();
        std::fflush(stdout);
        std::fflush(stderr);
        // Straight out: a run that stopped early leaves the engine up, which is the process end's to clear.
        _exit(status);
    }

    // Starts the child on the program folder; its standard error goes to a file there.
    pid_t StartProgram(const fs::path& anExecutableFolder)
    {
        std::fflush(stdout);
        std::fflush(stderr);
        const pid_t child = fork();
        if (child == 0)
            RunChild(anExecutableFolder, anExecutableFolder / "errors.txt");
        return child;
    }

    Outcome WaitForProgram(pid_t aChild, const fs::path& anExecutableFolder)
    {
        Outcome outcome;
        int status = 0;
        if (aChild < 0 || waitpid(aChild, &status, 0) != aChild)
        {
            outcome.crashed = true;
            return outcome;
        }
        outcome.crashed = WIFSIGNALED(status);
        outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.errors = ReadFile(anExecutableFolder / "errors.txt");
        std::istringstream lines(outcome.errors);
        for (std::string line; std::getline(lines, line);)
            if (!line.empty())
                outcome.errorLines.push_back(line);
        return outcome;
    }

    // One run's own copy of the build's game asset root (hard links: a damaged file is replaced, never
    // written through) and a program folder beside it with settings and cursor, so runs go side by side.
    class RunFolder
    {
    public:
        RunFolder()
        {
            const fs::path runtime(VELA_RUNTIME_DIR);
            std::error_code linked;
            fs::copy(runtime / "assets/game", GameRoot(), fs::copy_options::recursive | fs::copy_options::create_hard_links, linked);
            if (linked)
            {
                // Another file system: a plain copy.
                fs::remove_all(GameRoot());
                fs::copy(runtime / "assets/game", GameRoot(), fs::copy_options::recursive);
            }
            const nlohmann::json settings = {
                { "assets_path", { { "engine", (runtime / "assets/engine").string() }, { "game", GameRoot().string() }, { "cooked", VELA_COOKED_DIR } } },
                { "window_settings",
                  { { "title", "Mire" },
                    { "clear_color", { { "r", 0.0117647061 }, { "g", 0.6 }, { "b", 0.6901961 }, { "a", 1.0 } } },
                    { "window_size", { { "w", 320 }, { "h", 180 } } },
                    { "render_size", { { "w", 320 }, { "h", 180 } } },
                    { "enable_vsync", false },
                    { "start_in_fullscreen", false },
                    { "debug_features", { "Fps", "Mem" } },
                    { "multisampling", "Off" } } },
            };
            WriteBytes(Program() / "settings/Game.json", settings.dump(2));
            fs::copy_file(runtime / "MouseCursor.cur", Program() / "MouseCursor.cur");
        }

        fs::path GameRoot() const { return myFolder.Path() / "game"; }
        fs::path Program() const { return myFolder.Path() / "program"; }
        fs::path Base(const Target& aTarget) const { return aTarget.inExecutableFolder ? Program() : GameRoot(); }

    private:
        TempDirectory myFolder;
    };

    void ExpectAcceptable(const Outcome& anOutcome, const std::string& aWhat)
    {
        ASSERT_FALSE(anOutcome.crashed) << aWhat << ": killed by signal " << anOutcome.signal << "\n" << anOutcome.errors;
        if (anOutcome.status == 0)
        {
            for (const std::string& line : anOutcome.errorLines)
                EXPECT_EQ(line.rfind("Level \"", 0), 0u) << aWhat << ": a clean run printed " << line;
            return;
        }
        EXPECT_EQ(anOutcome.errorLines.size(), 1u) << aWhat << ": exit " << anOutcome.status << " with\n" << anOutcome.errors;
    }
}

TEST(DamagedFilesTest, EveryDamagedFileIsACleanRunOrOneLineAndAFailureStatus)
{
    // By default the damages that once crashed the program or left it stuck, with the exit each must give;
    // VELA_DAMAGE_RUNS adds that many random ones, every kind of file in turn.
    struct Pinned
    {
        size_t target;
        Damage damage;
        int status;
    };
    const Pinned pinned[] = {
        { 5, Damage::Folder, 0 },       // the cursor: the system cursor is used
        { 0, Damage::DeepNesting, 1 },  // the settings
        { 3, Damage::WrongType, 0 },    // a level-2 object: that level fails on the worker, the game goes on
        { 2, Damage::Delete, 1 },       // Orb.kvo: the tutorial cannot be finished
    };
    const char* requested = std::getenv("VELA_DAMAGE_RUNS");
    const int randomRuns = requested ? std::max(0, std::atoi(requested)) : 0;
    const int pinnedRuns = static_cast<int>(std::size(pinned));
    const std::vector<Target>& targets = Targets();

    struct Run
    {
        std::unique_ptr<RunFolder> folder = std::make_unique<RunFolder>();
        Variant variant;
        int status = -1; // the exit it must give, or -1 for either
        pid_t child = -1;
    };
    // Run -1 is the intact copy: it must start cleanly with nothing on standard error.
    int next = -1;
    while (next < pinnedRuns + randomRuns)
    {
        std::vector<Run> batch;
        for (; next < pinnedRuns + randomRuns && batch.size() < RUNS_AT_ONCE; ++next)
        {
            Run& run = batch.emplace_back();
            if (next < 0)
            {
                run.variant.description = "the intact files";
                run.status = 0;
                continue;
            }
            std::mt19937 random(static_cast<uint32_t>(next) * 2654435761u + 17u);
            const bool isPinned = next < pinnedRuns;
            const Target& target = targets[isPinned ? pinned[next].target : static_cast<size_t>(next) % targets.size()];
            const std::vector<fs::path> candidates = Candidates(run.folder->Base(target), target);
            ASSERT_FALSE(candidates.empty()) << target.kind;
            Variant& variant = run.variant;
            variant.target = &target;
            variant.file = candidates[random() % candidates.size()];
            if (isPinned)
            {
                variant.damage = pinned[next].damage;
                run.status = pinned[next].status;
            }
            else
            {
                variant.damage = target.json ? JSON_DAMAGE[random() % std::size(JSON_DAMAGE)] : BINARY_DAMAGE[random() % std::size(BINARY_DAMAGE)];
            }
            variant.description = "run " + std::to_string(next) + ": " + target.kind + " " + variant.file.string() + " " + DamageName(variant.damage);
            Apply(variant, ReadFile(variant.file), random);
        }
        for (Run& run : batch)
            run.child = StartProgram(run.folder->Program());
        for (Run& run : batch)
        {
            const Outcome outcome = WaitForProgram(run.child, run.folder->Program());
            if (run.variant.target == nullptr)
            {
                EXPECT_TRUE(outcome.errorLines.empty()) << outcome.errors;
            }
            ExpectAcceptable(outcome, run.variant.description);
            if (run.status >= 0)
            {
                EXPECT_EQ(outcome.status, run.status) << run.variant.description << "\n" << outcome.errors;
            }
        }
    }
}
