#include "datafile/aihistparamvw.h"

#include "datafile/aihistdoc.h"
#include "acquisition/aitypes.h"
#include "res/resource.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace nuv {

CAIHistParamVw::CAIHistParamVw(QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::number(IDD_AIHISTPARAM));
    auto* outer = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("通道配置"), this);
    auto* grid = new QGridLayout(group);
    for (int c = 0; c < 8; ++c) {
        m_pChannel[c] = new QCheckBox(QStringLiteral("AI%1").arg(c), group);
        m_pChannel[c]->setObjectName(QString::number(IDC_CHANNEL_BOX[c]));
        m_pRange[c] = new QComboBox(group);
        m_pRange[c]->setObjectName(QString::number(IDC_RANGE_LIST[c]));
        m_pBreakIcon[c] = new QLabel(group);
        m_pBreakIcon[c]->setObjectName(QString::number(IDC_BREAK_ICON[c]));
        m_pBreakIcon[c]->setFixedSize(16, 16);
        m_pBreakIcon[c]->hide();   // playback has no thermocouple-break state
        grid->addWidget(m_pChannel[c], c, 0);
        grid->addWidget(m_pRange[c], c, 1);
        grid->addWidget(m_pBreakIcon[c], c, 2);
    }
    outer->addWidget(group);

    auto* form = new QFormLayout;
    m_pChannels = new QLineEdit(this);
    m_pChannels->setObjectName(QString::number(IDC_HIST_CHANNELS));
    m_pChannels->setReadOnly(true);
    m_pPoints = new QLineEdit(this);
    m_pPoints->setObjectName(QString::number(IDC_HIST_POINTS));
    m_pPoints->setReadOnly(true);
    form->addRow(QStringLiteral("使能通道总数"), m_pChannels);
    form->addRow(QStringLiteral("单通道数据点数"), m_pPoints);
    outer->addLayout(form);
    outer->addStretch(1);
}

CAIHistDoc* CAIHistParamVw::GetDoc() const { return static_cast<CAIHistDoc*>(m_pDocument); }

void CAIHistParamVw::OnInitialUpdate()
{
    for (int c = 0; c < 8; ++c) {
        m_pRange[c]->clear();
        for (int code = 0; code < kRangeCount; ++code)
            m_pRange[c]->addItem(RangeName(code));
        m_pRange[c]->setCurrentIndex(0);
        m_pChannel[c]->setChecked(true);
    }
    EnablePanel(false);
}

void CAIHistParamVw::ShowParam(const AIParam& block)
{
    // The run as the form draws it: first .. first + count - 1, the last box at most 8.
    const uint64_t first = block.FirstChannel;
    const uint64_t end = first + block.ChannelCount;
    const int64_t last = end < 9 ? int64_t(end) - 1 : 8;
    for (int c = 0; c < 8; ++c) {
        m_pChannel[c]->setChecked(first <= uint64_t(c) && int64_t(c) <= last);
        const uint32_t code = block.Range[c];
        m_pRange[c]->setCurrentIndex(code < uint32_t(m_pRange[c]->count()) ? int(code) : -1);
    }
    if (const CAIHistDoc* doc = GetDoc(); doc != nullptr && doc->m_bOpen) {
        // The counts that playback really uses: the channels of each record and the
        // readings the file holds.
        m_pChannels->setText(QString::asprintf("%d", int(doc->m_nChannelCount)));
        m_pPoints->setText(QString::asprintf("%d", int(doc->m_nScanCount)));
    }
}

void CAIHistParamVw::OnUpdate(CView*, int hint)
{
    // A new file: its configuration, read-only.
    if (HistHint(hint) != HistHint::FileOpened || GetDoc() == nullptr)
        return;
    ShowParam(GetDoc()->m_Param);
    EnablePanel(false);
}

void CAIHistParamVw::EnablePanel(bool enable)
{
    for (int c = 0; c < 8; ++c) {
        m_pChannel[c]->setEnabled(enable);
        m_pRange[c]->setEnabled(enable);
    }
    m_pChannels->setEnabled(enable);
    m_pPoints->setEnabled(enable);
}

} // namespace nuv
