// The loaders under fuzz read files by name, so each target writes its input
// to a file first. FuzzScratch owns a private folder for those files: a fresh
// one per process, so that fuzzers running side by side (or -jobs children)
// never read each other's inputs, and removed whole when the process exits.

#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

class FuzzScratch {
public:
    // Makes /tmp/solvi_fuzz_<tag>_XXXXXX. The tag only tells the folders of
    // different targets apart when one is left behind by a crash.
    explicit FuzzScratch(const std::string& tag)
    {
        std::string pattern = "/tmp/solvi_fuzz_" + tag + "_XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        dir_ = pattern;
    }

    // Keep the object in static storage (see below) so that this runs from
    // exit(), which is how libFuzzer ends a run that found nothing. A crash
    // leaves through _Exit and keeps the folder, with the input in it.
    ~FuzzScratch()
    {
        std::error_code ignored;  // a destructor at exit has nowhere to report to
        std::filesystem::remove_all(dir_, ignored);
    }

    FuzzScratch(const FuzzScratch&) = delete;
    FuzzScratch& operator=(const FuzzScratch&) = delete;

    const std::string& dir() const { return dir_; }

    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    // A folder below the scratch folder, for loaders that look in a fixed
    // sub-folder of their working directory.
    std::string makeFolder(const std::string& name) const
    {
        const std::string folder = path(name);
        if (mkdir(folder.c_str(), 0700) != 0) std::abort();
        return folder;
    }

    // Writes the bytes to the named file, replacing what was there, and gives
    // its full path. A failed write aborts: the loader would otherwise read
    // the previous input and the fuzzer would blame the wrong bytes.
    std::string write(const std::string& name, const void* data, std::size_t size) const
    {
        std::string file = path(name);
        FILE* f = std::fopen(file.c_str(), "wb");
        if (!f) std::abort();
        if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
        if (std::fclose(f) != 0) std::abort();
        return file;
    }

    // The engine's banners and the loaders' notices go to stdout and would
    // bury libFuzzer's own reports (which go to stderr). Separate from the
    // folder because not every target wants it, and one wants only this.
    static void silenceStdout()
    {
        if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    }

private:
    std::string dir_;
};

// Usage: a namespace-scope std::optional<FuzzScratch>, emplaced in
// LLVMFuzzerInitialize rather than at static construction, so that the
// folder only exists for a process that is about to fuzz; the optional's
// destructor then removes it at exit.
