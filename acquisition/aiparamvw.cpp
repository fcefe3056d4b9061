#include "acquisition/aiparamvw.h"

#include "acquisition/acqmsg.h"
#include "acquisition/aidoc.h"
#include "acquisition/aitypes.h"
#include "res/bitmaps.h"
#include "acquisition/filestatus.h"
#include "framework/backdrop.h"
#include "framework/msgseam.h"
#include "datafile/opendatafile.h"
#include "res/resource.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace nuv {

namespace {

const QString kTipRange = QStringLiteral(
    "采样范围，根据通道输入信号范围来选择采样范围，采样范围不能小于通道输入信号范围，且越接近于通道输入范围其精度越高");
const QString kTipChannel = QStringLiteral("通道使能，使能通道则进行该通道的数据采集，否则不采数，勾选为使能通道");
const QString kTipIcon = QStringLiteral("断偶保护状态，只有在热电偶量程下有意义。红色表示断偶，绿色表示正常，灰色表示无效");
const QString kTipInterval = QStringLiteral("采样时间间隔");
const QString kTipMatch = QStringLiteral("通道一致，其余通道量程设置成和通道0量程一样");
const QString kTipSave = QStringLiteral("保存采集的数据，勾选时为保存，否则不保存");
const QString kTipWave = QStringLiteral("波形是否显示，勾选时为显示波形，否则不显示波形");
const QString kNote = QStringLiteral(
    "备注：\r\n(1)总通道采样率10sps。\r\n  读数间隔>=(使能通道总数*1000/10)ms。\r\n(2)当断偶状态为报警(红灯)时，采样数值无意义。");
constexpr int kTipDurationMs = 30000;

QString DefaultSaveChooser(QWidget* parent)
{
    // Offers a new name from the date and time in the folder last used for data files.
    // Replacing an existing file is asked when a recording starts, so the dialog does not.
    QFileDialog dlg(parent, QStringLiteral("新建数据文件"), LastDataFolder());
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters({QStringLiteral("二进制原码数据文件 (*.bin)"), QStringLiteral("所有文件 (*.*)")});
    dlg.setDefaultSuffix(QStringLiteral("bin"));
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    dlg.selectFile(QDir(LastDataFolder()).filePath(DefaultDataFileName(QDateTime::currentDateTime())));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().first();
}

CAIParamVw::SaveFileChooser& Chooser()
{
    static CAIParamVw::SaveFileChooser chooser = DefaultSaveChooser;
    return chooser;
}

void SetTip(QWidget* w, const QString& tip)
{
    w->setToolTip(tip);
    w->setToolTipDuration(kTipDurationMs);
}

} // namespace

CAIParamVw::SaveFileChooser CAIParamVw::SetSaveFileChooser(SaveFileChooser chooser)
{
    SaveFileChooser old = Chooser();
    Chooser() = chooser ? std::move(chooser) : SaveFileChooser(DefaultSaveChooser);
    return old;
}

CAIParamVw::CAIParamVw(QWidget* parent) : QWidget(parent) { BuildControls(); }

CAIParamVw::~CAIParamVw() = default;

CAIDoc* CAIParamVw::GetDoc() const { return static_cast<CAIDoc*>(m_pDocument); }

void CAIParamVw::BuildControls()
{
    // The form lives in a 288-pixel bar: narrow margins, and the break column's heading
    // takes two lines so that the column is no wider than its icons need.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);

    auto* aiGroup = new QGroupBox(QStringLiteral("AI参数配置"), this);
    auto* grid = new QGridLayout(aiGroup);
    grid->setContentsMargins(6, grid->contentsMargins().top(), 6, grid->contentsMargins().bottom());
    grid->setColumnStretch(1, 1);
    auto* breakHead = new QLabel(QStringLiteral("断偶状态"), aiGroup);
    breakHead->setWordWrap(true);
    breakHead->setAlignment(Qt::AlignCenter);
    breakHead->setMinimumWidth(breakHead->fontMetrics().horizontalAdvance(QStringLiteral("断偶")) + 2);
    grid->addWidget(new QLabel(QStringLiteral("通道使能"), aiGroup), 0, 0, Qt::AlignBottom);
    grid->addWidget(new QLabel(QStringLiteral("采样量程"), aiGroup), 0, 1, Qt::AlignBottom);
    grid->addWidget(breakHead, 0, 2);
    for (int k = 0; k < 8; ++k) {
        m_pChannel[k] = new QCheckBox(QStringLiteral("AI%1").arg(k), aiGroup);
        m_pChannel[k]->setObjectName(QString::number(IDC_CHANNEL_BOX[k]));
        SetTip(m_pChannel[k], kTipChannel);
        connect(m_pChannel[k], &QCheckBox::clicked, this, [this, k](bool on) { OnChannelClicked(k, on); });

        m_pRange[k] = new QComboBox(aiGroup);
        m_pRange[k]->setObjectName(QString::number(IDC_RANGE_LIST[k]));
        for (int c = 0; c < kRangeCount; ++c)
            m_pRange[k]->addItem(RangeName(c));
        SetTip(m_pRange[k], kTipRange);
        connect(m_pRange[k], &QComboBox::activated, this, [this, k](int c) { OnRangeChanged(k, c); });

        m_pIcon[k] = new QLabel(aiGroup);
        m_pIcon[k]->setObjectName(QString::number(IDC_BREAK_ICON[k]));
        m_pIcon[k]->setPixmap(LoadBitmap(IDB_BREAK_NA));
        SetTip(m_pIcon[k], kTipIcon);

        grid->addWidget(m_pChannel[k], k + 1, 0);
        grid->addWidget(m_pRange[k], k + 1, 1);
        grid->addWidget(m_pIcon[k], k + 1, 2, Qt::AlignCenter);
    }
    auto* cjcRow = new QHBoxLayout;
    cjcRow->addWidget(new QLabel(QStringLiteral("温补"), aiGroup));
    m_pCJC = new QLineEdit(aiGroup);
    m_pCJC->setObjectName(QString::number(IDC_CJC_TEMP));
    m_pCJC->setReadOnly(true);
    cjcRow->addWidget(new CBackdrop(m_pCJC, aiGroup));
    grid->addLayout(cjcRow, 9, 0, 1, 3);

    m_pMatch = new QPushButton(QStringLiteral("量程匹配通道0"), aiGroup);
    m_pMatch->setObjectName(QString::number(IDC_MATCH_RANGE));
    SetTip(m_pMatch, kTipMatch);
    connect(m_pMatch, &QPushButton::clicked, this, [this] { OnMatchRanges(); });
    grid->addWidget(m_pMatch, 10, 0, 1, 3);

    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(new QLabel(QStringLiteral("读数间隔"), aiGroup));
    m_pInterval = new QLineEdit(aiGroup);
    m_pInterval->setObjectName(QString::number(IDC_READ_INTERVAL));
    SetTip(m_pInterval, kTipInterval);
    m_pInterval->installEventFilter(this);
    connect(m_pInterval, &QLineEdit::textChanged, this, [this](const QString& t) { OnReadIntervalChanged(t); });
    intervalRow->addWidget(m_pInterval);
    intervalRow->addWidget(new QLabel(QStringLiteral("ms"), aiGroup));
    grid->addLayout(intervalRow, 11, 0, 1, 3);
    outer->addWidget(aiGroup);

    // "&&" shows as one "&".
    auto* saveGroup = new QGroupBox(QStringLiteral("显示&&保存设置"), this);
    auto* saveLayout = new QVBoxLayout(saveGroup);
    saveLayout->setContentsMargins(6, saveLayout->contentsMargins().top(), 6, saveLayout->contentsMargins().bottom());
    m_pShowWave = new QCheckBox(QStringLiteral("波形显示"), saveGroup);
    m_pShowWave->setObjectName(QString::number(IDC_SHOW_WAVE));
    SetTip(m_pShowWave, kTipWave);
    connect(m_pShowWave, &QCheckBox::clicked, this, [this](bool on) {
        if (CAIDoc* doc = GetDoc())
            doc->SetShowWave(on);
    });
    m_pSaveFile = new QCheckBox(QStringLiteral("保存数据文件"), saveGroup);
    m_pSaveFile->setObjectName(QString::number(IDC_SAVE_FILE));
    SetTip(m_pSaveFile, kTipSave);
    connect(m_pSaveFile, &QCheckBox::clicked, this, [this](bool on) { OnSaveFileClicked(on); });
    m_pNote = new QPlainTextEdit(saveGroup);
    m_pNote->setObjectName(QString::number(IDC_FILE_NOTE));
    m_pNote->setReadOnly(true);
    m_pNote->setMaximumHeight(60);
    auto* note = new QLabel(QString(kNote).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), saveGroup);
    note->setWordWrap(true);
    saveLayout->addWidget(m_pShowWave);
    saveLayout->addWidget(m_pSaveFile);
    saveLayout->addWidget(m_pNote);
    saveLayout->addWidget(note);
    outer->addWidget(saveGroup);
    outer->addStretch(1);
}

void CAIParamVw::OnInitialUpdate()
{
    m_bLoading = true;
    for (int k = 0; k < 8; ++k) {
        m_pRange[k]->setCurrentIndex(0);
        m_pChannel[k]->setChecked(true);
    }
    m_pInterval->setText(QStringLiteral("1000"));
    m_pSaveFile->setChecked(false);
    m_pShowWave->setChecked(true);
    m_bLoading = false;
    m_fReadInterval = 1000.0f;
}

void CAIParamVw::OnUpdate(CView* sender, int hint)
{
    if (hint == kHintRunState && GetDoc() != nullptr)
        EnablePanel(!GetDoc()->Running());
}

void CAIParamVw::ApplyParam(const AIParam& p)
{
    m_bLoading = true;
    for (int k = 0; k < 8; ++k) {
        m_pChannel[k]->setChecked(IsChannelEnabled(p, uint32_t(k)));
        m_pRange[k]->setCurrentIndex(p.Range[k] < uint32_t(kRangeCount) ? int(p.Range[k]) : -1);
    }
    m_bLoading = false;
    m_nFirst = p.ChannelCount == 0 ? -1 : int(p.FirstChannel);
    m_nCount = int(p.ChannelCount);
    m_nLast = p.ChannelCount == 0 ? -1 : m_nFirst + m_nCount - 1;
    if (CAIDoc* doc = GetDoc())
        doc->ParamShown(p);
    m_pInterval->setText(QString::number(double(m_fReadInterval)));
}

void CAIParamVw::EnablePanel(bool enable)
{
    for (int k = 0; k < 8; ++k) {
        m_pRange[k]->setEnabled(enable);
        m_pChannel[k]->setEnabled(enable);
    }
    m_pMatch->setEnabled(enable);
    m_pSaveFile->setEnabled(enable);
    m_pInterval->setEnabled(enable);
    m_pCJC->setEnabled(enable);
    m_pShowWave->setEnabled(enable);
}


// Ticking a box outside the run extends the run to it; clearing a box cuts the run there.
void CAIParamVw::OnChannelClicked(int i, bool ticked)
{
    if (ticked) {
        if (m_nCount == 0) {
            m_nFirst = m_nLast = i;
        } else if (i < m_nFirst) {
            for (int k = i; k < m_nFirst; ++k)
                m_pChannel[k]->setChecked(true);
            m_nFirst = i;
        } else if (m_nLast < i) {
            for (int k = m_nLast; k < i; ++k)
                m_pChannel[k]->setChecked(true);
            m_nLast = i;
        }
        m_nCount = m_nLast - m_nFirst + 1;
    } else {
        for (int k = i; k < 8; ++k)
            m_pChannel[k]->setChecked(false);
        if (i > m_nFirst) {
            m_nLast = i - 1;
            m_nCount = i - m_nFirst;
        } else {
            m_nFirst = m_nLast = -1;
            m_nCount = 0;
        }
    }
    if (CAIDoc* doc = GetDoc())
        doc->SetChannelRun(m_nFirst < 0 ? kNoChannel : uint32_t(m_nFirst), uint32_t(m_nCount));
}

void CAIParamVw::OnRangeChanged(int k, int code)
{
    if (m_bLoading)
        return;
    if (CAIDoc* doc = GetDoc())
        doc->SetChannelRange(k, code);
}

void CAIParamVw::OnMatchRanges()
{
    const int c = m_pRange[0]->currentIndex();
    m_bLoading = true;
    for (int k = 0; k < 8; ++k)
        m_pRange[k]->setCurrentIndex(c);
    m_bLoading = false;
    if (CAIDoc* doc = GetDoc())
        doc->SetAllRanges(c);
}

void CAIParamVw::OnReadIntervalChanged(const QString& text)
{
    // An empty field while the operator retypes it keeps the last value without a box.
    if (!text.trimmed().isEmpty()) {
        bool ok = false;
        const float v = text.trimmed().toFloat(&ok);
        if (ok)
            m_fReadInterval = v;
        else
            AfxMessageBox(QStringLiteral("请输入一个数。"));
    }
    if (CAIDoc* doc = GetDoc())
        doc->SetReadInterval(m_fReadInterval);
}

void CAIParamVw::OnReadIntervalFocusLost()
{
    if (CAIDoc* doc = GetDoc())
        doc->NotifyIntervalFromRead();
}

bool CAIParamVw::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_pInterval && e->type() == QEvent::FocusOut)
        OnReadIntervalFocusLost();
    return QWidget::eventFilter(watched, e);
}

void CAIParamVw::OnSaveFileClicked(bool ticked)
{
    CAIDoc* doc = GetDoc();
    if (ticked) {
        const QString path = Chooser()(this);
        if (!path.isEmpty()) {
            RememberDataFolder(path);
            if (doc != nullptr)
                doc->SetSaveFile(true, path);
            m_pNote->setPlainText(path);
            return;
        }
        m_pSaveFile->setChecked(false);
    }
    m_pNote->clear();
    if (doc != nullptr)
        doc->SetSaveFile(false);
}

void CAIParamVw::ShowIcon(int k, int id)
{
    if (m_nIconShown[k] == id)
        return;
    m_nIconShown[k] = id;
    m_pIcon[k]->setPixmap(LoadBitmap(id));
}

void CAIParamVw::RefreshBreakIcons(const uint32_t range[8], const uint32_t brk[8])
{
    for (int k = 0; k < 8; ++k) {
        if (range[k] < 9) {
            ShowIcon(k, IDB_BREAK_NA);
        } else if (int(brk[k]) != m_nLastBreak[k] || m_nIconShown[k] == IDB_BREAK_NA) {
            // Also after the grey icon: a channel switched back to a thermocouple range
            // shows its state again, although that state did not change meanwhile.
            ShowIcon(k, brk[k] == 0 ? IDB_BREAK_OK : IDB_BREAK_BROKEN);
            m_nLastBreak[k] = int(brk[k]);
        }
    }
}

bool CAIParamVw::event(QEvent* e)
{
    if (e->type() == MsgType(WM_BREAK_ICONS)) {
        if (const CJCNotice* n = static_cast<CMsgEvent*>(e)->Payload<CJCNotice>()) {
            m_pCJC->setText(QString::asprintf("%f", n->Celsius));
            RefreshBreakIcons(n->ReadingRange, n->BreakState);
        }
        return true;
    }
    return QWidget::event(e);
}

} // namespace nuv
