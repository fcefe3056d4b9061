#include "app/seldevdlg.h"

#include "app/devmarker.h"
#include "device/mdq4170.h"
#include "res/resource.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace nuv {

namespace {
CSelDevDlg::Runner g_runner;
constexpr int kProbes = 127;

// Start-up probe (NUV_LAUNCH_PROBE=<fd or path>, for the launch benchmark): once the
// window system has drawn the dialog's first paint, writes one line
// "<CLOCK_MONOTONIC ns> <platform>" there and ends the process at once.
class CLaunchProbe : public QObject {
public:
    CLaunchProbe(QObject* parent, const char* target) : QObject(parent), m_target(target) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && !m_fired) {
            m_fired = true;
            // Queued: runs once the painted window has been flushed to the window system.
            QTimer::singleShot(0, this, [this] { Report(); });
        }
        return false;
    }

private:
    void Report() const
    {
        QGuiApplication::sync();   // the display server has carried out the drawing
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        char* end = nullptr;
        const long fd = std::strtol(m_target, &end, 10);
        const int out = *end == '\0' ? int(fd) : ::open(m_target, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        char line[160];
        const int n = std::snprintf(line, sizeof line, "%lld %s\n",
                                    static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec,
                                    qPrintable(QGuiApplication::platformName()));
        if (out >= 0 && n > 0)
            (void)!::write(out, line, size_t(n));
        ::_exit(0);
    }
    const char* m_target;
    bool m_fired = false;
};
} // namespace

int LeadingNumber(const QString& text)
{
    int n = 0;
    for (QChar c : text) {
        if (!c.isDigit() || c.unicode() > '9')
            break;
        n = n * 10 + (c.unicode() - '0');
        if (n > 1000000)
            break;
    }
    return n;
}

CSelDevDlg::CSelDevDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(IDD_SELDEV));
    setWindowTitle(QStringLiteral("设备选择"));
    auto* box = new QVBoxLayout(this);
    box->addWidget(new QLabel(QStringLiteral("请选择设备"), this));
    m_pList = new QListWidget(this);
    m_pList->setObjectName(QString::number(IDC_DEVICE_LIST));
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->setSortingEnabled(true);
    box->addWidget(m_pList);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_pOk = new QPushButton(QStringLiteral("OK"), this);
    m_pOk->setObjectName(QStringLiteral("1"));
    m_pOk->setDefault(true);
    m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_pCancel->setObjectName(QStringLiteral("2"));
    buttons->addWidget(m_pOk);
    buttons->addWidget(m_pCancel);
    box->addLayout(buttons);
    resize(260, 220);

    connect(m_pList, &QListWidget::itemSelectionChanged, this, [this] { m_pOk->setEnabled(true); });
    connect(m_pList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { OnOK(); });
    connect(m_pOk, &QPushButton::clicked, this, &CSelDevDlg::OnOK);
    connect(m_pCancel, &QPushButton::clicked, this, &CSelDevDlg::OnCancel);
}

void CSelDevDlg::OnInitDialog()
{
    m_pList->clear();
    for (int i = 0; i < kProbes; ++i) {
        const MDQ4170_HANDLE h = MDQ4170_DEV_Create(uint32_t(i), 0);
        if (h == MDQ4170_INVALID_HANDLE)
            continue;
        const QString name = DeviceMarkerName(i);
        bool existed = false;
        const int marker = CreateMarker(name, &existed);
        if (!existed)
            m_pList->addItem(name);
        ReleaseMarker(marker);
        MDQ4170_DEV_Release(h);
    }
    if (m_pList->count() > 0) {
        m_pList->setCurrentRow(0);
        m_pOk->setEnabled(true);
    } else {
        m_pOk->setEnabled(false);
    }
}

void CSelDevDlg::OnOK()
{
    QListWidgetItem* item = m_pList->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    m_nSelDevice = LeadingNumber(item->text());
    accept();
}

void CSelDevDlg::OnCancel() { reject(); }

int CSelDevDlg::DoModal()
{
    OnInitDialog();
    if (g_runner)
        return g_runner(*this);
    if (const char* probe = std::getenv("NUV_LAUNCH_PROBE"); probe != nullptr && *probe != '\0')
        installEventFilter(new CLaunchProbe(this, probe));
    return exec();
}

CSelDevDlg::Runner CSelDevDlg::SetRunner(Runner runner)
{
    Runner old = std::move(g_runner);
    g_runner = std::move(runner);
    return old;
}

} // namespace nuv
