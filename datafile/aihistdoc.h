// The history document: one opened data file, the window of records the views show at
// the current position, and the history window's display state.
#pragma once

#include "framework/document.h"
#include "datafile/fileheader.h"
#include "datafile/histhint.h"
#include "datafile/histlayout.h"
#include "device/mdq4170.h"

#include <QRgb>
#include <QString>
#include <cstdint>

namespace nuv {

class CAIHistDoc : public CDocument {
    Q_OBJECT
public:
    static constexpr int kWindowScans = 131072;
    static constexpr int kMaxScans = 2147482391;

    CAIHistDoc();
    ~CAIHistDoc() override;

    // Opens `path` into this document; true on success (messages shown on failure).
    bool OpenFile(const QString& path);
    // Reads the window at the current position; its length follows m_Screen.
    void ReloadWindow();
    void OnCloseDocument() override;

    // Commands 32851, 32818, 32850, 32813-32815, 32784 handled by the document.
    bool OnCmdMsg(int nID, CCmdUI* pUI) override;

    // The title of a window showing `path`: "AI回放:" and the file name when the path is
    // longer than 30 bytes (UTF-8), else the whole path.
    static QString HistTitle(const QString& path);
    // Moves the playback position (clamped to 0..maximum), reloads the window there and
    // tells every view but `sender` (HistHint::PositionMoved).
    void MoveTo(int64_t position, CView* sender = nullptr);
    // Position of the last screenful: the last reading at the waveform's right edge.
    int32_t EndPosition() const { return HistEndPosition(m_Screen, m_nMaxPosition); }
    // Reads `count` scans from scan `first` into `out` (count * channel count codes,
    // interleaved) without moving the playback window; returns the complete scans read.
    uint32_t ReadScans(int64_t first, uint32_t count, uint16_t* out);

    // Value of code k of channel c: k * gain + offset.
    double CodeValue(int channel, uint16_t code) const { return double(code) * m_dGain[channel] + m_dOffset[channel]; }

    void UpdateAllViews(CView* sender, HistHint hint) { CDocument::UpdateAllViews(sender, int(hint)); }

    uint32_t m_nWindowLength = 0;        // scans in the window buffer
    uint32_t m_nChannelCount = 8;        // channels per scan in the file
    uint16_t m_ReadBuffer[8 * kWindowScans];
    uint16_t m_Window[8][kWindowScans];  // window split per channel slot
    AIParam m_Param{};                   // parameter block of the opened file
    AIParam m_PrevParam{};
    int m_nEnabled[8]{};                 // enabled channel numbers, ascending
    int m_nEnabledCount = 0;
    int32_t m_nPosition = 0;             // first scan of the window
    double m_dOffset[8]{};               // RangeMin per channel number
    double m_dGain[8]{};                 // CodeStep per channel number
    RangeInfo m_RangeInfo[8]{};          // range records of the opened file per channel number
    int m_bMiddleValue = 1;
    double m_dHorzFactor = 1.0;
    int32_t m_nScanCount = 0;
    int32_t m_nMaxPosition = 0;
    MDQ4170_FILE m_hFile = -1;
    int m_bTile = 1;                     // 1 tiled, 0 overlay
    int m_bOpen = 0;
    HeaderBytes m_Header{};
    uint64_t m_nFileBytes = 0;           // length of the opened file
    int32_t m_nCursorScan[2]{0, 0};
    int m_nDigitMode = 2;                // DigitDisplayMode, Voltage
    QRgb m_TraceColor[8];
    QRgb m_CursorColor[3];
    int m_nSelSlot = 0;
    QString m_strPath;
    uint32_t m_nLoadedScans = 0;         // scans of m_Window that belong to the current position
    uint32_t m_nCleanScans = 0;          // scans of m_Window (per channel) cleared or loaded since it was made
    uint32_t m_nGeneration = 0;          // counts opens: views keep nothing drawn across one
    uint64_t m_nHeaderScans = 0;         // reading count as the header states it
    HistProblem m_nProblem = HistProblem::None;
    // The waveform view's plot as it last laid it out; it sets it while it shows this
    // document and resets it when it goes.
    HistScreen m_Screen;

signals:
    // A file was accepted and is being shown (the frame brings its parameter tab forward).
    void fileOpened(const QString& path);

private:
    // Back to position 0 with an empty window.
    void ResetWindow();
    void OnOpenDataFile();
    void ReportProblem(const HistLayout& layout);
};

} // namespace nuv
