#include "handover.h"

#include "devmarker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QSaveFile>
#include <QUuid>

namespace nuv {

namespace {
QString ReceiverMarker() { return QStringLiteral("NUV-OPEN"); }

QString HandoverFolder()
{
    const QString dir = MarkerFolder() + QStringLiteral("/nuv-open");
    QDir().mkpath(dir);
    return dir;
}
} // namespace

QStringList HandedOverFiles(const QStringList& args)
{
    const int at = int(args.indexOf(QStringLiteral("--open")));
    QStringList files;
    if (at < 0)
        return files;
    for (int i = at + 1; i < args.size(); ++i)
        if (!args[i].isEmpty())
            files << args[i];
    return files;
}

bool HandoverReceiverRunning() { return MarkerExists(ReceiverMarker()); }

bool SubmitHandover(const QStringList& files)
{
    const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QSaveFile out(HandoverFolder() + QLatin1Char('/') + name + QStringLiteral(".open"));
    if (!out.open(QIODevice::WriteOnly))
        return false;
    for (const QString& f : files)
        out.write(QDir(QDir::currentPath()).absoluteFilePath(f).toUtf8() + '\n');
    return out.commit();
}

CHandoverReceiver::CHandoverReceiver(std::function<void(const QStringList&)> onFiles) : m_onFiles(std::move(onFiles)) {}

CHandoverReceiver::~CHandoverReceiver() { ReleaseMarker(m_hMarker); }

bool CHandoverReceiver::Start()
{
    bool existed = false;
    m_hMarker = CreateMarker(ReceiverMarker(), &existed);
    if (m_hMarker <= 0)
        return false;
    m_pWatcher = std::make_unique<QFileSystemWatcher>(QStringList{HandoverFolder()});
    QObject::connect(m_pWatcher.get(), &QFileSystemWatcher::directoryChanged, m_pWatcher.get(), [this] { Poll(); });
    Poll();
    return true;
}

void CHandoverReceiver::Poll()
{
    QDir dir(HandoverFolder());
    const QStringList requests = dir.entryList({QStringLiteral("*.open")}, QDir::Files, QDir::Time | QDir::Reversed);
    for (const QString& r : requests) {
        QFile in(dir.filePath(r));
        if (!in.open(QIODevice::ReadOnly))
            continue;
        const QByteArray data = in.readAll();
        in.close();
        in.remove();
        QStringList files;
        for (const QByteArray& line : data.split('\n'))
            if (!line.isEmpty())
                files << QString::fromUtf8(line);
        if (!files.isEmpty() && m_onFiles)
            m_onFiles(files);
    }
}

} // namespace nuv
