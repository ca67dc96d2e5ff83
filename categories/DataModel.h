#pragma once
// What the entries share with the program that shows them: the application's ".pat" patch and
// who hears of an entry going away. The window side installs its state (CDataAppState derives
// from this one); until then a process-wide default instance serves (tools use that one).

#include <set>
#include <string>

namespace tessaly {

class CDataDef;
class CPatch;

class CDataModelState {
public:
    CDataModelState() = default;
    CDataModelState(const CDataModelState&) = delete;
    CDataModelState& operator=(const CDataModelState&) = delete;
    virtual ~CDataModelState() = default;

    // An entry is being destroyed (the window side closes the sheets that show it).
    virtual void OnEntryDestroyed(CDataDef* /*pEntry*/) {}
    // Tells the user something in passing (the window shows it in its status bar); a text
    // told once is not told again, so a failure that repeats with every try says so once.
    void TellOnce(const std::string& text) {
        if (m_Told.insert(text).second) {
            Tell(text);
        }
    }

    // The application's ".pat" patch, where the hue and multi pages keep their edits and
    // exports find them; null without an application object. Not owned.
    CPatch* m_pPatch = nullptr;
    // The texts TellOnce has told.
    std::set<std::string> m_Told;

protected:
    // Shows a text to the user; the default tells no one (tools have no window).
    virtual void Tell(const std::string& /*text*/) {}
};

// The state in use: the one installed, else the default instance.
CDataModelState& DataModelState();
// Installs a state (null goes back to the default instance).
void SetDataModelState(CDataModelState* state);

}  // namespace tessaly
