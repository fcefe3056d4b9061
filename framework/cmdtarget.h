// Command targets and the update state of a command's menu item or button.
//
// A command travels active view -> its document -> the active child frame -> the main
// frame -> the application; the first target whose OnCmdMsg answers true carries it out
// (pUI == nullptr) or fills its update state (pUI != nullptr). An id no target answers
// for is shown disabled.
#pragma once

#include <QString>

namespace nuv {

// The command the toolkit handles itself: a document closes with its window. The
// program's id table gives it the same number.
constexpr int kIdFileClose = 57602;

class CCmdUI {
public:
    explicit CCmdUI(int id) : m_nID(id) {}
    void Enable(bool on = true) { m_bEnabled = on; }
    void SetCheck(int check = 1) { m_nCheck = check; m_bCheckSet = true; }
    void SetText(const QString& text) { m_strText = text; m_bTextSet = true; }

    int m_nID;
    bool m_bEnabled = true;
    int m_nCheck = 0;
    bool m_bCheckSet = false;
    QString m_strText;
    bool m_bTextSet = false;
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // pUI == nullptr: carry the command out. Otherwise fill pUI. True when this target
    // handles the id.
    virtual bool OnCmdMsg(int nID, CCmdUI* pUI) { return false; }
};

} // namespace nuv
