// RAnimationReader: reads the keyframes of an animation export (text export
// format, flat keyword scan) into the animation tracks of the named frames:
// one rotation segment per pair of consecutive rotation keys of a frame, one
// position segment per pair of position keys. TCB rotation keys are not
// read. Axes are converted to the engine's: (x, y, z) becomes (x, z, -y).
#pragma once

#include <string>
#include <vector>

class CSceneFrame;
class RSystem;

class RAnimationReader {
public:
    // When the file exists: prints "\nLoading animation: %s\n" and reads it.
    // A missing file reads and prints nothing. False when nothing was read.
    bool load(const RSystem& system, const std::string& fileName, CSceneFrame* rootFrame);
    // Reads a file's text; frames are found by name under rootFrame (null:
    // every node is unknown). Prints "FILENAME: %s\n" first and
    // "FRAME: %s\n" for each animated node.
    void read(const std::string& text, const std::string& fileName, CSceneFrame* rootFrame);

    bool quiet = false;                 // no output at all
    // The first kMaxKeptFileProblems keys that could not be read or had no frame (the first
    // kMaxPrintedFileProblems printed), and how many there were in all.
    std::vector<std::string> problems;
    int problemCount = 0;
    int segmentsAdded = 0;

private:
    void problem(const std::string& message);
};
