#include "calibration/aical.h"

#include "calibration/calranges.h"
#include "framework/msgseam.h"
#include "res/resource.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

namespace nuv {

namespace {
enum StatusColumn { ColChannel = 0, ColRange = 1, ColOffset = 2, ColGain = 3 };

QPushButton* MakeButton(const QString& text, int id, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    return b;
}
} // namespace

CAICal::CAICal(MDQ4170_HANDLE device, QWidget* parent) : QDialog(parent), m_hDevice(device)
{
    setObjectName(QString::number(IDD_AICAL));
    setWindowTitle(QStringLiteral("AI校准"));
    BuildControls();
    FillStatusList();

    for (int c = 0; c < kCalChannels; ++c)
        m_pChannel->addItem(QStringLiteral("AI%1").arg(c));
    for (int j = 0; j < kCalRangeCount; ++j)
        m_pRange->addItem(QString::fromUtf8(CalRangeAt(j).name));
    m_pChannel->setCurrentIndex(0);
    m_pRange->setCurrentIndex(0);
    m_pUnit->setText(CalRangeUnit(0));

    connect(m_pChannel, &QComboBox::currentIndexChanged, this, &CAICal::OnChannelChanged);
    connect(m_pRange, &QComboBox::currentIndexChanged, this, &CAICal::OnRangeChanged);
}

CAICal::~CAICal() = default;

void CAICal::BuildControls()
{
    auto* steps = new QVBoxLayout;

    steps->addWidget(new QLabel(QStringLiteral("步骤1：选择校准通道及量程"), this));
    auto* row1 = new QHBoxLayout;
    m_pChannel = new QComboBox(this);
    m_pChannel->setObjectName(QString::number(IDC_CAL_CHANNEL));
    m_pRange = new QComboBox(this);
    m_pRange->setObjectName(QString::number(IDC_CAL_RANGE));
    m_pRange->setMinimumContentsLength(14);
    QPushButton* start = MakeButton(QStringLiteral("开始校准"), IDC_CAL_START, this);
    row1->addWidget(m_pChannel);
    row1->addWidget(m_pRange, 1);
    row1->addWidget(start);
    steps->addLayout(row1);

    steps->addSpacing(8);
    steps->addWidget(new QLabel(QStringLiteral("步骤2：零点校准(Offset)"), this));
    auto* row2 = new QHBoxLayout;
    QPushButton* zero = MakeButton(QStringLiteral("零点校准"), IDC_CAL_ZERO, this);
    row2->addStretch(1);
    row2->addWidget(zero);
    steps->addLayout(row2);

    steps->addSpacing(8);
    steps->addWidget(new QLabel(QStringLiteral("步骤3：满度校准(Gain)"), this));
    auto* row3 = new QHBoxLayout;
    m_pFullValue = new QLineEdit(this);
    m_pFullValue->setObjectName(QString::number(IDC_CAL_FULL_VALUE));
    m_pUnit = new QLabel(this);
    m_pUnit->setObjectName(QString::number(IDC_CAL_UNIT));
    m_pUnit->setMinimumWidth(m_pUnit->fontMetrics().horizontalAdvance(QStringLiteral("(mA)")) + 4);
    QPushButton* full = MakeButton(QStringLiteral("满度校准"), IDC_CAL_FULL, this);
    row3->addWidget(m_pFullValue, 1);
    row3->addWidget(m_pUnit);
    row3->addWidget(full);
    steps->addLayout(row3);

    steps->addSpacing(8);
    auto* note = new QLabel(QStringLiteral("注：请按照步骤顺序操作。如未足够了解校准流程，不推荐自行校准。"), this);
    note->setWordWrap(true);
    steps->addWidget(note);

    auto* cjc = new QGroupBox(QStringLiteral("冷端补偿"), this);
    auto* cjcGrid = new QGridLayout(cjc);
    m_pAmbient = new QLineEdit(cjc);
    m_pAmbient->setObjectName(QString::number(IDC_CAL_AMBIENT));
    m_pAmbient->setReadOnly(true);
    QPushButton* readTemp = MakeButton(QStringLiteral("读取环境温度"), IDC_CAL_READ_TEMP, cjc);
    m_pRefTemp = new QLineEdit(cjc);
    m_pRefTemp->setObjectName(QString::number(IDC_CAL_REF_TEMP));
    QPushButton* setTemp = MakeButton(QStringLiteral("温度校准"), IDC_CAL_SET_TEMP, cjc);
    cjcGrid->addWidget(m_pAmbient, 0, 0);
    cjcGrid->addWidget(readTemp, 0, 1);
    cjcGrid->addWidget(m_pRefTemp, 1, 0);
    cjcGrid->addWidget(setTemp, 1, 1);
    steps->addWidget(cjc);
    steps->addStretch(1);

    auto* statusBox = new QGroupBox(QStringLiteral("校准状态"), this);
    auto* statusLayout = new QVBoxLayout(statusBox);
    m_pStatus = new QTableWidget(kCalStatusRows, 4, statusBox);
    m_pStatus->setObjectName(QString::number(IDC_CAL_STATUS));
    statusLayout->addWidget(m_pStatus);

    auto* top = new QHBoxLayout(this);
    top->addLayout(steps);
    top->addWidget(statusBox, 1);

    connect(start, &QPushButton::clicked, this, &CAICal::OnStartCal);
    connect(zero, &QPushButton::clicked, this, &CAICal::OnZeroCal);
    connect(full, &QPushButton::clicked, this, &CAICal::OnFullCal);
    connect(readTemp, &QPushButton::clicked, this, &CAICal::OnReadTemp);
    connect(setTemp, &QPushButton::clicked, this, &CAICal::OnSetTemp);
}

void CAICal::FillStatusList()
{
    QTableWidget* t = m_pStatus;
    t->setHorizontalHeaderLabels({QStringLiteral("Channel"), QStringLiteral("Range"), QStringLiteral("Offset"),
                                  QStringLiteral("Gain")});
    t->verticalHeader()->setVisible(false);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setShowGrid(true);
    t->setColumnWidth(ColChannel, 70);
    t->setColumnWidth(ColRange, 120);
    t->setColumnWidth(ColOffset, 70);
    t->setColumnWidth(ColGain, 70);
    t->horizontalHeader()->setStretchLastSection(false);
    for (int c = 0; c < kCalChannels; ++c) {
        for (int j = 0; j < kCalRangeCount; ++j) {
            const int row = kCalRangeCount * c + j;
            t->setItem(row, ColChannel, new QTableWidgetItem(QStringLiteral("AI%1").arg(c)));
            t->setItem(row, ColRange, new QTableWidgetItem(QString::fromUtf8(CalRangeAt(j).name)));
            t->setItem(row, ColOffset, new QTableWidgetItem(QString()));
            t->setItem(row, ColGain, new QTableWidgetItem(QString()));
        }
    }
    const int width = 70 + 120 + 70 + 70 + 2 * t->frameWidth() + t->verticalScrollBar()->sizeHint().width();
    t->setMinimumWidth(width);
    t->setMinimumHeight(12 * t->verticalHeader()->defaultSectionSize());
}

int CAICal::StatusRow() const { return CalStatusRow(m_nChannel, m_nRange); }

bool CAICal::DeviceCreated() const
{
    const MDQ4170_HANDLE h = m_hDevice;
    return h != MDQ4170_INVALID_HANDLE && h != 0;
}

void CAICal::OnChannelChanged(int index)
{
    if (index < 0 || index == m_nChannel)
        return;
    m_nChannel = index;
    m_bResetDone = false;
}

void CAICal::OnRangeChanged(int index)
{
    if (index < 0)
        return;
    m_pUnit->setText(CalRangeUnit(index));
    const uint32_t code = CalRangeCode(index);
    if (code == m_nRange)
        return;
    m_nRange = code;
    m_bResetDone = false;
}

void CAICal::MarkStatus(int column)
{
    const int row = StatusRow();
    if (row < 0 || row >= m_pStatus->rowCount())
        return;
    if (column >= 0)
        m_pStatus->item(row, column)->setText(QStringLiteral("OK"));
    m_pStatus->setCurrentCell(row, ColChannel);
    m_pStatus->selectRow(row);
    m_pStatus->scrollToItem(m_pStatus->item(row, ColChannel));
}

void CAICal::OnStartCal()
{
    if (!DeviceCreated()) {
        AfxMessageBox(QStringLiteral("设备未创建！"));
        return;
    }
    if (!MDQ4170_AI_Cal_Restore(m_hDevice, uint32_t(m_nChannel), m_nRange)) {
        // Without a successful reset the library's selection is not this channel and
        // range: steps 2 and 3 stay refused so no mark lands in the wrong row.
        AfxMessageBox(QStringLiteral("设备复位校准失败！"));
        m_bResetDone = false;
        MarkStatus(-1);
        return;
    }
    m_bResetDone = true;
    MarkStatus(-1);
}

void CAICal::OnZeroCal()
{
    if (!DeviceCreated()) {
        AfxMessageBox(QStringLiteral("设备未创建！"));
        return;
    }
    if (!m_bResetDone) {
        AfxMessageBox(QStringLiteral("校准参数变化，请先复位校准！"));
        return;
    }
    if (!MDQ4170_AI_Cal_Zero(m_hDevice)) {
        AfxMessageBox(QStringLiteral("设备零点校准失败！"));
        return;
    }
    MarkStatus(ColOffset);
}

void CAICal::OnFullCal()
{
    m_fFullValue = float(ParseLeadingDouble(m_pFullValue->text()));
    if (!m_bResetDone) {
        AfxMessageBox(QStringLiteral("校准参数变化，请先复位校准！"));
        return;
    }
    // 0 is what a text without a number gives; an infinite or NaN value is no signal either.
    if (m_fFullValue == 0.0f || !std::isfinite(m_fFullValue)) {
        AfxMessageBox(QStringLiteral("满度信号数值不规范，请输入信号数据！"));
        return;
    }
    if (!MDQ4170_AI_Cal_Full(m_hDevice, m_fFullValue)) {
        AfxMessageBox(QStringLiteral("设备满度校准失败！"));
        return;
    }
    MarkStatus(ColGain);
}

void CAICal::OnReadTemp()
{
    uint32_t raw = 0;
    double celsius = 0.0;
    if (!MDQ4170_AI_ReadCJCTemp(m_hDevice, &raw, &celsius)) {
        AfxMessageBox(QStringLiteral("获取温补值失败！"));
        return;
    }
    m_pAmbient->setText(QString::asprintf("%f", celsius));
}

void CAICal::OnSetTemp()
{
    bool hasNumber = false;
    const float celsius = float(ParseLeadingDouble(m_pRefTemp->text(), &hasNumber));
    // An empty or non-numeric entry would silently calibrate the cold junction to 0 degC.
    if (!hasNumber || !std::isfinite(celsius)) {
        AfxMessageBox(QStringLiteral("温度数值不规范，请输入温度数据！"));
        return;
    }
    if (!MDQ4170_AI_SetCJC(m_hDevice, celsius))
        AfxMessageBox(QStringLiteral("校准温补值失败！"));
}

} // namespace nuv
