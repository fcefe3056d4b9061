#include "datafile/aihistdoc.h"

#include "framework/msgseam.h"
#include "framework/winapp.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace nuv {

static_assert(CAIHistDoc::kWindowScans == int(kHistWindowScans));
static_assert(CAIHistDoc::kMaxScans == kMaxHistScans);

CAIHistDoc::CAIHistDoc()
{
    m_TraceColor[0] = qRgb(16, 255, 0);
    m_TraceColor[1] = qRgb(255, 255, 16);
    m_TraceColor[2] = qRgb(251, 4, 200);
    m_TraceColor[3] = qRgb(255, 192, 192);
    for (int c = 4; c < 8; ++c)
        m_TraceColor[c] = qRgb(245 - 15 * c, 15 * c, 20 * c);
    m_CursorColor[0] = qRgb(255, 0, 0);
    m_CursorColor[1] = qRgb(255, 255, 255);
    m_CursorColor[2] = qRgb(255, 255, 128);
    // The buffers are filled on demand; only what a window loads is ever touched.
}

CAIHistDoc::~CAIHistDoc()
{
    if (m_hFile != -1)
        MDQ4170_FILE_Release(m_hFile);
}

QString CAIHistDoc::HistTitle(const QString& path)
{
    // Path lengths count bytes of the local (UTF-8) file-name encoding; the file name is
    // the part after the last '/'.
    const QString prefix = QStringLiteral("AI回放:");
    if (QFile::encodeName(path).size() > 30)
        return prefix + path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    return prefix + path;
}

bool CAIHistDoc::OpenFile(const QString& path)
{
    // The new file is checked before the one on show is given up, so a refused file
    // leaves the window as it was.
    const QByteArray native = QFile::encodeName(path);
    const MDQ4170_FILE h = MDQ4170_FILE_Create(native.constData(), MDQ4170_FILE_MODE_READ);
    if (h == -1) {
        AfxMessageBox(QStringLiteral("打开文件失败, 可能该文件不存..."), MsgIcon::Exclamation);
        return false;
    }

    HeaderBytes header{};
    uint32_t got = 0;
    if (MDQ4170_FILE_SetOffset(h, 0, 0, 0))
        got = MDQ4170_FILE_Read(h, header.data(), kHeaderSize);
    const qint64 size = QFileInfo(path).size();
    const uint64_t fileBytes = std::max<uint64_t>(size > 0 ? uint64_t(size) : 0, got);
    const HistLayout layout = ComputeHistLayout(header.data(), got, fileBytes);
    if (!layout.ProductOk || !layout.HeaderComplete) {
        MDQ4170_FILE_Release(h);
        AfxMessageBox(layout.ProductOk
                          ? QStringLiteral("文件长度不足%1字节的文件头, 不是完整的数据文件").arg(kHeaderSize)
                          : QStringLiteral("此文件不属于该产品的数据文件"),
                      MsgIcon::Exclamation);
        return false;
    }

    if (m_hFile != -1)
        MDQ4170_FILE_Release(m_hFile);
    m_hFile = h;
    m_bOpen = 1;
    ++m_nGeneration;
    m_Header = header;
    m_nFileBytes = fileBytes;
    m_strPath = path;

    SetTitle(HistTitle(path));
    if (AfxGetApp() != nullptr)
        AfxGetApp()->AddToRecentFileList(path);
    emit fileOpened(path);
    m_dHorzFactor = 1.0;

    m_PrevParam = m_Param;
    m_Param = layout.Param;
    for (int c = 0; c < 8; ++c) {
        m_dOffset[c] = layout.Info.Range[c].RangeMin;
        m_dGain[c] = layout.Info.Range[c].CodeStep;
        m_RangeInfo[c] = layout.Info.Range[c];
    }
    m_nChannelCount = layout.ChannelCount;
    m_nHeaderScans = layout.Info.ReadingCount;
    m_nProblem = layout.Problem;
    // The counts are known before the views are put back to the start, so every window
    // read from here on stays within this file.
    m_nScanCount = layout.ScanCount;
    m_nMaxPosition = int32_t(double(m_nScanCount) / m_dHorzFactor);
    m_nEnabledCount = 0;
    std::fill(std::begin(m_nEnabled), std::end(m_nEnabled), 0);
    ResetWindow();

    for (int k = 0; k < layout.EnabledCount; ++k) {
        const int c = layout.Enabled[k];
        m_dGain[c] = double(float(m_dGain[c]));
        m_nEnabled[m_nEnabledCount++] = c;
    }

    // The waveform takes the channels' ranges first: they decide its label column, hence
    // its plot width and the window's length.
    UpdateAllViews(nullptr, HistHint::FileOpened);
    ReloadWindow();
    UpdateAllViews(nullptr, HistHint::WindowLoaded);
    ReportProblem(layout);
    return true;
}

void CAIHistDoc::ReportProblem(const HistLayout& l)
{
    QString text;
    switch (l.Problem) {
    case HistProblem::None:
        return;
    case HistProblem::NoChannels:
        text = QStringLiteral("文件头记录了%1次采样, 但没有使能的通道, 文件中的数据无法显示").arg(l.Info.ReadingCount);
        break;
    case HistProblem::BadChannelRun:
        text = QStringLiteral("文件头的通道配置无效(首通道%1, 通道数%2), 文件中的数据无法显示")
                   .arg(l.Info.Param.FirstChannel)
                   .arg(l.Info.Param.ChannelCount);
        break;
    case HistProblem::CodesMismatch:
        text = QStringLiteral("文件头的每次采样码数(%1)与使能通道数(%2)不符, 文件中的数据无法显示")
                   .arg(l.Info.CodesPerRecord)
                   .arg(l.Info.Param.ChannelCount);
        break;
    }
    AfxMessageBox(text, MsgIcon::Exclamation);
}

void CAIHistDoc::ResetWindow()
{
    if (!m_bOpen)
        m_nChannelCount = 8;
    m_nPosition = 0;
    m_nLoadedScans = 0;
    // The window reads as all zero. Only its prefix that was ever in use is cleared: the
    // rest is 2 MiB a new window would otherwise touch for nothing, and ReloadWindow clears
    // the part it is about to use first.
    for (auto& channel : m_Window)
        std::fill(channel, channel + m_nCleanScans, uint16_t(0));
}

void CAIHistDoc::ReloadWindow()
{
    const int64_t pos = m_nPosition;
    const int64_t maxPos = m_nMaxPosition;
    const uint32_t n = HistWindowLength(m_Screen, pos, maxPos);
    m_nWindowLength = n;
    // The table shows up to 128 rows whatever width the waveform asks for.
    const uint32_t load = HistLoadLength(n, pos, maxPos);
    // What the views read (the window's length, the table's rows) is cleared before its
    // first use, as if the whole window had been cleared when the file was opened.
    const uint32_t used = std::min<uint32_t>(std::max(n, load), kWindowScans);
    if (m_nCleanScans < used) {
        for (auto& channel : m_Window)
            std::fill(channel + m_nCleanScans, channel + used, uint16_t(0));
        m_nCleanScans = used;
    }

    m_nLoadedScans = 0;
    if (m_hFile == -1 || m_dHorzFactor != 1.0)
        return;
    if (m_nChannelCount == 0 || m_nChannelCount > 8 || load == 0)
        return;
    const uint64_t offset = HistWindowOffset(m_nChannelCount, pos);
    if (!MDQ4170_FILE_SetOffset(m_hFile, uint32_t(offset), uint32_t(offset >> 32), 0)) {
        AfxMessageBox(QStringLiteral("移动文件指针位置失败"));
        return;
    }
    const uint32_t bytes = 2u * m_nChannelCount * load;
    const uint32_t got = MDQ4170_FILE_Read(m_hFile, m_ReadBuffer, bytes);
    m_nLoadedScans = HistDeinterleave(reinterpret_cast<const uint8_t*>(m_ReadBuffer), std::min(got, bytes),
                                      m_nChannelCount, load, m_Window);
}

void CAIHistDoc::MoveTo(int64_t position, CView* sender)
{
    m_nPosition = int32_t(std::clamp<int64_t>(position, 0, std::max<int32_t>(0, m_nMaxPosition)));
    ReloadWindow();
    UpdateAllViews(sender, HistHint::PositionMoved);
}

uint32_t CAIHistDoc::ReadScans(int64_t first, uint32_t count, uint16_t* out)
{
    if (m_hFile == -1 || out == nullptr || m_nChannelCount == 0 || m_nChannelCount > 8 || first < 0 ||
        first >= m_nScanCount)
        return 0;
    const uint32_t n = uint32_t(std::min<int64_t>(count, int64_t(m_nScanCount) - first));
    const uint64_t offset = HistWindowOffset(m_nChannelCount, first);
    if (!MDQ4170_FILE_SetOffset(m_hFile, uint32_t(offset), uint32_t(offset >> 32), 0))
        return 0;
    const uint32_t record = 2u * m_nChannelCount;
    uint32_t done = 0;
    // In pieces, so a caller's large request never needs a large temporary.
    uint8_t chunk[4096];
    const uint32_t perChunk = uint32_t(sizeof chunk) / record;
    while (done < n) {
        const uint32_t want = std::min(perChunk, n - done);
        const uint32_t got = MDQ4170_FILE_Read(m_hFile, chunk, want * record);
        const uint32_t whole = got / record;
        for (uint32_t i = 0; i < whole * m_nChannelCount; ++i)
            out[size_t(done) * m_nChannelCount + i] = GetLE16(chunk + 2 * i);
        done += whole;
        if (whole < want)
            break;
    }
    return done;
}

void CAIHistDoc::OnCloseDocument()
{
    MDQ4170_FILE_Release(m_hFile);
    m_hFile = -1;
    CDocument::OnCloseDocument();
}

} // namespace nuv
