// A live AI document with its views built by hand (no frame), the simulated module 0,
// recorded operator messages and a stand-in for the frame's handling of WM_USER+5/+9.
#pragma once

#include "acquisition/acqworker.h"
#include "acquisition/aidoc.h"
#include "acquisition/aiparamvw.h"
#include "framework/msgseam.h"
#include "app/nuvapp.h"
#include "framework/wndmsg.h"
#include "datafile/fileheader.h"
#include "device/mdq4170.h"
#include "device/mdq4170_sim.h"
#include "views/aidatavw.h"
#include "views/aidigitview.h"

#include <QEvent>
#include <QFile>
#include <QObject>
#include <QStringList>
#include <QTest>
#include <memory>

namespace nuvtest {

using namespace nuv;

// Receives what the AI frame receives and does what it does with it.
class FrameStandIn : public QObject {
public:
    explicit FrameStandIn(CAIDoc* doc) : m_pDoc(doc) {}
    bool event(QEvent* e) override
    {
        if (e->type() == MsgType(WM_FILE_STATUS)) {
            ++statusPosts;
            m_pDoc->UpdateFileStatus();
            return true;
        }
        if (e->type() == MsgType(WM_FILE_CLOSE)) {
            ++closePosts;
            fileOpenAtClose = m_pDoc->m_bFileOpen;
            m_pDoc->OnCloseDataFile();
            return true;
        }
        return QObject::event(e);
    }
    CAIDoc* m_pDoc;
    int statusPosts = 0;
    int closePosts = 0;
    int fileOpenAtClose = -1;
    CWndHandle handle{this};
};

struct Rig {
    CAIDoc* doc;
    std::unique_ptr<CAIDigitView> digit;
    std::unique_ptr<CAIParamVw> panel;
    std::unique_ptr<CAIDataVw> data;
    std::unique_ptr<FrameStandIn> frame;
    QStringList messages;
    QList<MsgIcon> icons;
    QList<MsgRequest> requests;
    int answer = IDYES;   // to questions

    explicit Rig(bool withDevice = true)
    {
        MDQ4170SIM_Reset();
        theApp.m_hDevice = withDevice ? MDQ4170_DEV_Create(0, 0) : MDQ4170_INVALID_HANDLE;
        SetMessageHandler([this](const MsgRequest& r) {
            messages << r.text;
            icons << r.icon;
            requests << r;
            return r.buttons == MsgButtons::YesNo ? answer : int(IDOK);
        });
        doc = new CAIDoc;
        doc->m_hDevice = theApp.m_hDevice;
        digit = std::make_unique<CAIDigitView>();
        panel = std::make_unique<CAIParamVw>();
        data = std::make_unique<CAIDataVw>();
        digit->SetDocument(doc);
        panel->SetDocument(doc);
        data->SetDocument(doc);
        // Where the worker's notices go, as the AI frame sets them.
        frame = std::make_unique<FrameStandIn>(doc);
        doc->m_hFrameWnd.store(frame->handle.get());
        doc->m_hDigitWnd.store(digit->GetSafeHwnd());
        doc->m_hParamWnd.store(panel->GetSafeHwnd());
        digit->OnInitialUpdate();
        panel->OnInitialUpdate();
        data->OnInitialUpdate();
        doc->LoadParam();
        if (withDevice)
            SetRun(0, 8);   // whatever an earlier test stored
        else
            panel->ApplyParam(doc->m_Param);
        doc->m_fReadInterval = 0.0f;
        doc->m_fNotifyInterval = 100.0f;
    }
    ~Rig()
    {
        if (doc != nullptr) {
            if (doc->m_bRunning.load())
                doc->OnStopAcquisition();
            doc->OnCloseDocument();
            delete doc;
        }
        digit.reset();
        panel.reset();
        data.reset();
        SetMessageHandler({});
        if (theApp.m_hDevice != MDQ4170_INVALID_HANDLE)
            MDQ4170_DEV_Release(theApp.m_hDevice);
        theApp.m_hDevice = MDQ4170_INVALID_HANDLE;
    }
    void SetRun(uint32_t first, uint32_t count)
    {
        AIParam p = doc->m_Param;
        p.FirstChannel = count == 0 ? 0xFFFFFFFFu : first;
        p.ChannelCount = count;
        doc->m_Param = p;
        panel->ApplyParam(p);
    }
    void Record(const QString& path)
    {
        doc->m_strDataFile = path;
        doc->m_bSaveFile = 1;
    }
    // Waits for the worker to end and for its last posted messages to be handled.
    bool WaitIdle(int ms = 20000)
    {
        if (!QTest::qWaitFor([this] { return doc->m_bWorkerIdle.load() == 1; }, ms))
            return false;
        QTest::qWait(20);
        return true;
    }
    bool WaitCount(uint64_t n, int ms = 20000)
    {
        return QTest::qWaitFor([this, n] { return doc->m_SampleCount.load() >= n; }, ms);
    }
    bool HasMessage(const QString& text) const { return messages.contains(text); }
};

inline QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace nuvtest
