#include "dio/diovw.h"
#include "dio/diodoc.h"

#include "res/bitmaps.h"
#include "framework/msgseam.h"
#include "res/resource.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <climits>

namespace nuv {

MDQ4170_HANDLE CDIOVw::Device() const
{
    const auto* doc = qobject_cast<const CDIODoc*>(m_pDocument);
    return doc != nullptr ? doc->m_hDevice : MDQ4170_INVALID_HANDLE;
}

namespace {
constexpr const int* kOutputIds = IDC_DO_BUTTON;
constexpr const int* kInputIds = IDC_DI_LAMP;
constexpr const int* kInvertIds = IDC_DI_INVERT;
constexpr uint32_t kPortDI = 0;
constexpr uint32_t kPortDO = 1;

const char* const kHint =
    "先调用DIO_InitTask设置各路输入输出方向，然后调用DIO_ReadLines()和DIO_WriteLines()两个函数即可进行数字量的多线输入输出。";

QString Id(int id) { return QString::number(id); }

// The leading decimal digits of `text` (empty: 0), saturated instead of overflowing.
int LeadingInt(const QString& text)
{
    long long v = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        v = v * 10 + (c.unicode() - '0');
        if (v > INT_MAX)
            return INT_MAX;
    }
    return int(v);
}

QPushButton* LineButton(const QString& text, int id, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(Id(id));
    b->setCheckable(true);
    b->setIconSize(QSize(16, 16));
    b->setAutoDefault(false);
    return b;
}

QLabel* LegendItem(int bitmapId, const QString& text, QWidget* parent, QHBoxLayout* row)
{
    auto* icon = new QLabel(parent);
    icon->setPixmap(LoadBitmap(bitmapId));
    row->addWidget(icon);
    auto* label = new QLabel(text, parent);
    row->addWidget(label);
    row->addSpacing(12);
    return label;
}
} // namespace

CDIOVw::CDIOVw(QWidget* parent) : QWidget(parent)
{
    setObjectName(Id(IDD_DIO));
    BuildControls();
    // Whatever way the program ends, the reader ends before the windows go.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &CDIOVw::StopReader);
}

CDIOVw::~CDIOVw() { StopReader(); }

void CDIOVw::StopReader()
{
    // The reader never waits for this thread (its failure is posted, not shown), so the
    // join is bounded by one library call.
    m_reader.Stop();
    m_reader.Join();
}

void CDIOVw::BuildControls()
{
    // Outputs.
    auto* doBox = new QGroupBox(QStringLiteral("数字量输出 (DO)"), this);
    auto* doRow = new QHBoxLayout(doBox);
    for (int i = 0; i < 8; ++i) {
        m_pOutput[i] = LineButton(QStringLiteral("DO%1").arg(i), kOutputIds[i], doBox);
        doRow->addWidget(m_pOutput[i]);
        connect(m_pOutput[i], &QPushButton::clicked, this, [this, i] { OnOutputClicked(i); });
    }

    // Inputs: indicators only, the operator cannot press them.
    auto* diBox = new QGroupBox(QStringLiteral("数字量输入(DI)"), this);
    auto* diLayout = new QVBoxLayout(diBox);
    auto* diRow = new QHBoxLayout;
    for (int i = 0; i < 8; ++i) {
        m_pInput[i] = LineButton(QStringLiteral("DI%1").arg(i), kInputIds[i], diBox);
        m_pInput[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_pInput[i]->setFocusPolicy(Qt::NoFocus);
        diRow->addWidget(m_pInput[i]);
    }
    diLayout->addLayout(diRow);
    auto* legend = new QHBoxLayout;
    legend->addStretch(1);
    LegendItem(IDB_LINE_INVALID, QStringLiteral("无效"), diBox, legend);
    LegendItem(IDB_LINE_HIGH, QStringLiteral("高(开)"), diBox, legend);
    LegendItem(IDB_LINE_LOW, QStringLiteral("低(关)"), diBox, legend);
    diLayout->addLayout(legend);

    // Settings: pause, read count and the two buttons that have no function.
    auto* setBox = new QGroupBox(QStringLiteral("DIO参数设置"), this);
    auto* setGrid = new QGridLayout(setBox);
    m_pPause = new QLineEdit(setBox);
    m_pPause->setObjectName(Id(IDC_READ_PAUSE));
    m_pPause->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_pPause));
    m_pCount = new QLineEdit(setBox);
    m_pCount->setObjectName(Id(IDC_READ_COUNT));
    m_pCount->setReadOnly(true);
    setGrid->addWidget(new QLabel(QStringLiteral("定时读取(ms)"), setBox), 0, 0);
    setGrid->addWidget(m_pPause, 0, 1);
    setGrid->addWidget(new QLabel(QStringLiteral("[20,10000]"), setBox), 0, 2);
    setGrid->addWidget(new QLabel(QStringLiteral("读取次数"), setBox), 1, 0);
    setGrid->addWidget(m_pCount, 1, 1);
    auto* initParam = new QPushButton(QStringLiteral("初始化参数"), setBox);
    initParam->setObjectName(Id(IDC_INIT_PARAM));
    initParam->hide();
    auto* getParam = new QPushButton(QStringLiteral("获取参数"), setBox);
    getParam->setObjectName(Id(IDC_GET_PARAM));
    getParam->hide();
    setGrid->addWidget(initParam, 2, 0);
    setGrid->addWidget(getParam, 2, 1);
    connect(m_pPause, &QLineEdit::textChanged, this, &CDIOVw::OnPauseChanged);

    // Input inversion.
    auto* logicBox = new QGroupBox(QStringLiteral("DI逻辑设置"), this);
    auto* logicGrid = new QGridLayout(logicBox);
    for (int i = 0; i < 8; ++i) {
        m_pInvert[i] = new QCheckBox(QStringLiteral("DI%1 (反向)").arg(i), logicBox);
        m_pInvert[i]->setObjectName(Id(kInvertIds[i]));
        logicGrid->addWidget(m_pInvert[i], i / 4, i % 4);
        connect(m_pInvert[i], &QCheckBox::clicked, this, &CDIOVw::OnInvertClicked);
    }

    // Reading.
    auto* opBox = new QGroupBox(QStringLiteral("DIO操作"), this);
    auto* opRow = new QHBoxLayout(opBox);
    m_pAutoRead = new QCheckBox(QStringLiteral("自动读取端口值"), opBox);
    m_pAutoRead->setObjectName(Id(IDC_AUTO_READ));
    m_pManualRead = new QPushButton(QStringLiteral("手动读取端口值"), opBox);
    m_pManualRead->setObjectName(Id(IDC_MANUAL_READ));
    m_pManualRead->setAutoDefault(false);
    opRow->addWidget(m_pAutoRead);
    opRow->addWidget(m_pManualRead);
    opRow->addStretch(1);
    connect(m_pAutoRead, &QCheckBox::clicked, this, &CDIOVw::OnAutoRead);
    connect(m_pManualRead, &QPushButton::clicked, this, &CDIOVw::OnManualRead);

    auto* hintBox = new QGroupBox(QStringLiteral("数字量输入输出操作提示"), this);
    auto* hintLayout = new QVBoxLayout(hintBox);
    auto* hint = new QLabel(QString::fromUtf8(kHint), hintBox);
    hint->setWordWrap(true);
    hintLayout->addWidget(hint);

    auto* grid = new QGridLayout(this);
    grid->addWidget(setBox, 0, 0);
    grid->addWidget(opBox, 0, 1);
    grid->addWidget(logicBox, 1, 0, 1, 2);
    grid->addWidget(doBox, 2, 0, 1, 2);
    grid->addWidget(diBox, 3, 0, 1, 2);
    grid->addWidget(hintBox, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(2, 1);

    for (int i = 0; i < 8; ++i) {
        SetLineImage(m_pOutput[i], IDB_LINE_INVALID);
        SetLineImage(m_pInput[i], IDB_LINE_INVALID);
    }
}

void CDIOVw::SetLineImage(QAbstractButton* b, int bitmapId)
{
    b->setIcon(QIcon(LoadBitmap(bitmapId)));
    b->setChecked(bitmapId == IDB_LINE_HIGH);
    b->setProperty("bitmap", bitmapId);
}

int CDIOVw::InputImage(int line) const { return m_pInput[size_t(line)]->property("bitmap").toInt(); }
int CDIOVw::OutputImage(int line) const { return m_pOutput[size_t(line)]->property("bitmap").toInt(); }

void CDIOVw::ShowInputs(const uint32_t states[8])
{
    for (int i = 0; i < 8; ++i) {
        const bool high = (states[i] != 0) != (m_bInvert[i] != 0);
        SetLineImage(m_pInput[i], high ? IDB_LINE_HIGH : IDB_LINE_LOW);
    }
}

void CDIOVw::ShowOutputs(const uint32_t states[8])
{
    for (int i = 0; i < 8; ++i)
        SetLineImage(m_pOutput[i], states[i] != 0 ? IDB_LINE_HIGH : IDB_LINE_LOW);
}

void CDIOVw::OnInitialUpdate()
{
    StopReader();
    for (int i = 0; i < 8; ++i) {
        SetLineImage(m_pInput[i], IDB_LINE_INVALID);
        SetLineImage(m_pOutput[i], IDB_LINE_INVALID);
        m_pInvert[i]->setChecked(false);
        m_bInvert[i] = 0;
    }
    m_pCount->setText(QStringLiteral("0"));
    m_pPause->setText(QStringLiteral("20"));
    m_reader.SetPause(CDIReader::kDefaultPause);
    m_pAutoRead->setChecked(false);
    m_pManualRead->show();

    const MDQ4170_HANDLE dev = Device();
    if (dev == MDQ4170_INVALID_HANDLE)
        return;   // no module: every line stays "not read"
    uint32_t in[8] = {};
    uint32_t out[8] = {};
    if (MDQ4170_DIO_ReadLines(dev, kPortDI, in) && MDQ4170_DIO_ReadLines(dev, kPortDO, out)) {
        ShowInputs(in);
        ShowOutputs(out);
    } else {
        AfxMessageBox(QStringLiteral("通信异常：获取设备DIO状态失败"));
    }
}

bool CDIOVw::UpdateData()
{
    bool ok = false;
    const int value = m_pPause->text().trimmed().toInt(&ok);
    if (!ok) {
        AfxMessageBox(QStringLiteral("请输入一个整数。"));
        return false;
    }
    m_reader.SetPause(value);
    return true;
}

void CDIOVw::OnOutputClicked(int line)
{
    QPushButton* b = m_pOutput[size_t(line)];
    UpdateData();   // a bad pause is reported, the toggle goes on

    const MDQ4170_HANDLE dev = Device();
    uint32_t state = 0;
    if (!MDQ4170_DIO_ReadLine(dev, kPortDO, uint32_t(line), &state)) {
        // Nothing was switched: the button keeps showing what it showed before the click.
        b->setChecked(OutputImage(line) == IDB_LINE_HIGH);
        AfxMessageBox(QStringLiteral("DIO_ReadLine Error"));
        return;
    }
    const uint32_t newState = state == 0 ? 1 : 0;
    b->setChecked(newState != 0);
    if (!MDQ4170_DIO_WriteLine(dev, kPortDO, uint32_t(line), newState)) {
        AfxMessageBox(QStringLiteral("DO_WriteLine Error"));
        return;
    }
    uint32_t out[8] = {};
    if (!MDQ4170_DIO_ReadLines(dev, kPortDO, out)) {
        AfxMessageBox(QStringLiteral("DIO_ReadLines Error"));
        return;
    }
    ShowOutputs(out);
}

void CDIOVw::OnManualRead()
{
    const MDQ4170_HANDLE dev = Device();
    uint32_t in[8] = {};
    if (!MDQ4170_DIO_ReadLines(dev, kPortDI, in)) {
        if (m_bReportFailures) {
            m_bReportFailures = false;
            AfxMessageBox(QStringLiteral("Read DI status failed..."));
        }
        return;
    }
    ShowInputs(in);
    uint32_t out[8] = {};
    if (!MDQ4170_DIO_ReadLines(dev, kPortDO, out)) {
        if (m_bReportFailures) {
            m_bReportFailures = false;
            AfxMessageBox(QStringLiteral("Read DO status failed..."));
        }
        return;
    }
    ShowOutputs(out);
}

void CDIOVw::OnAutoRead(bool checked)
{
    if (checked) {
        m_pManualRead->hide();
        m_reader.Start(Device(), GetSafeHwnd());   // joins a previous reader first
    } else {
        m_reader.Stop();   // returns at once; the next start or the destructor joins
        m_pManualRead->show();
    }
}

void CDIOVw::OnInvertClicked()
{
    for (int i = 0; i < 8; ++i)
        m_bInvert[i] = m_pInvert[i]->isChecked() ? 1 : 0;
}

void CDIOVw::OnPauseChanged() { m_reader.SetPause(LeadingInt(m_pPause->text())); }

bool CDIOVw::event(QEvent* e)
{
    if (e->type() == MsgType(WM_DI_STATES)) {
        auto* m = static_cast<CMsgEvent*>(e);
        if (const DIStates* s = m->Payload<DIStates>()) {
            ShowInputs(s->line);
            m_pCount->setText(QString::number(m->wParam));   // 64-bit: never wraps negative
        }
        return true;
    }
    if (e->type() == MsgType(WM_DI_READ_FAILED)) {
        // The reader has ended; the check box stays checked as the operator left it.
        AfxMessageBox(QStringLiteral("Read DI status failed..."));
        return true;
    }
    return QWidget::event(e);
}

} // namespace nuv
