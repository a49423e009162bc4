// A temporary folder for one test: made fresh under the system's temporary
// folder, optionally the working folder while the test runs, and removed
// with everything in it when the object goes.
#pragma once

#include <string>

namespace support {

class TempFolder {
public:
    // Makes <temporary folder>/<stem>-XXXXXX; path stays empty when it
    // cannot be made (the test's first check).
    explicit TempFolder(const std::string& stem = "tessellon-test");
    // Goes back to the old working folder, then removes the folder.
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path;  // no trailing slash
    // path + "/" + name.
    std::string file(const std::string& name) const { return path + "/" + name; }

    // Makes the folder the working folder until leave(); false when it cannot.
    bool enter();
    // Back to the working folder enter() left; true when there was none to go back to.
    bool leave();
    // Removes the folder and everything in it, write permission given back
    // first (a test may take it away); true when nothing is left. With
    // TESSELLON_E2E_KEEP set in the environment the folder is kept for a
    // look and this is true.
    bool remove();

private:
    std::string left_folder;  // the working folder before enter(); "" = not entered
};

}  // namespace support
