// Commands of the history document.
#include "datafile/aihistdoc.h"

#include "datafile/opendatafile.h"
#include "framework/childfrm.h"
#include "res/resource.h"

#include <QGuiApplication>
#include <algorithm>

namespace nuv {

void CAIHistDoc::OnOpenDataFile()
{
    QWidget* parent = GetFrame();
    const QString path = GetOpenDataFileName(parent, QStringLiteral("打开历史数据文件"));
    if (path.isEmpty())
        return;
    const bool gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (gui)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    OpenFile(path);
    if (gui)
        QGuiApplication::restoreOverrideCursor();
}

bool CAIHistDoc::OnCmdMsg(int nID, CCmdUI* pUI)
{
    switch (nID) {
    case ID_OPEN_DATAFILE:
        if (pUI != nullptr)
            pUI->Enable(true);
        else
            OnOpenDataFile();
        return true;
    case ID_TILE_DISPLAY:
    case ID_OVERLAY_DISPLAY: {
        const int tile = nID == ID_TILE_DISPLAY ? 1 : 0;
        if (pUI != nullptr) {
            pUI->Enable(true);
            pUI->SetCheck(m_bTile == tile ? 1 : 0);
            return true;
        }
        m_bTile = tile;
        UpdateAllViews(nullptr, HistHint::DisplayMode);
        return true;
    }
    case ID_DIGIT_DEC:
    case ID_DIGIT_HEX:
    case ID_DIGIT_VOLT: {
        const int mode = nID - ID_DIGIT_DEC;
        if (pUI != nullptr) {
            pUI->Enable(true);
            pUI->SetCheck(m_nDigitMode == mode ? 1 : 0);
            return true;
        }
        m_nDigitMode = mode;
        UpdateAllViews(nullptr, HistHint::DigitMode);
        return true;
    }
    default:
        return CDocument::OnCmdMsg(nID, pUI);
    }
}

} // namespace nuv
