// nuv-export: a recording as CSV (or its header as text or JSON) on the command line.
// Reads files only: it needs neither a display nor a module.
#include "acquisition/aitypes.h"
#include "datafile/csvexport.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <csignal>
#include <cstdio>

using namespace nuv;

namespace {

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;     // bad arguments, or the output could not be written
constexpr int kExitDamaged = 2;   // the recording is missing, foreign or damaged

const char kUsage[] =
    "Usage: nuv-export [--info [--json]] [--from N] [--to M] [--raw] [--tsv] [--interval MS]\n"
    "                  FILE.bin [-o OUT]\n"
    "\n"
    "Writes a recording of the NUV program as CSV: a heading row, then one row per reading\n"
    "with its index (from 0), its local time (ISO 8601 with milliseconds) and the value of\n"
    "every enabled channel in its unit, e.g. \"AI2 (V)\". Thermocouple channels get a column\n"
    "\"AI5 break\" (0/1); a broken reading leaves its value empty. UTF-8, '.' as decimal point.\n"
    "A torn last record (a recording cut short) is left out, as the history window does.\n"
    "\n"
    "  --info         print the header (start time, interval, channels, ranges, readings)\n"
    "  --json         with --info: as JSON\n"
    "  --from N       first reading to write (default 0)\n"
    "  --to M         last reading to write, inclusive (default: the last one)\n"
    "  --raw          a raw code column \"AIk code\" after every value column\n"
    "  --tsv          separate columns by tabs instead of commas\n"
    "  --interval MS  read interval the recording ran with, in ms (default 1000, the\n"
    "                 program's setting; the file does not record it). Times are the\n"
    "                 header's start time plus the reading's index times the interval,\n"
    "                 at least 100 ms per enabled channel (the module's pace).\n"
    "  -o OUT         write to OUT instead of standard output; OUT appears only when the\n"
    "                 export is complete\n"
    "  -h, --help     this text\n"
    "\n"
    "Exit status: 0 done, 1 bad arguments or the output could not be written,\n"
    "2 the recording is missing, foreign or damaged.\n";

int Fail(int status, const QString& line)
{
    std::fprintf(stderr, "nuv-export: %s\n", line.toLocal8Bit().constData());
    return status;
}

QString InputProblem(const QString& path, const CsvResult& r)
{
    switch (r.Status) {
    case CsvStatus::OpenFailed: return QStringLiteral("%1: cannot open: %2").arg(path, r.Detail);
    case CsvStatus::ShortHeader:
        return QStringLiteral("%1: not a complete recording: %2, shorter than the %3-byte header")
            .arg(path, r.Detail)
            .arg(kHeaderSize);
    case CsvStatus::Foreign:
        return QStringLiteral("%1: not a data file of this product (%2)").arg(path, r.Detail);
    case CsvStatus::NoChannels:
        return QStringLiteral("%1: damaged header, impossible channel configuration (%2)").arg(path, r.Detail);
    case CsvStatus::ReadFailed: return QStringLiteral("%1: reading failed: %2").arg(path, r.Detail);
    default: return {};
    }
}

bool IsInputProblem(CsvStatus s)
{
    return s == CsvStatus::OpenFailed || s == CsvStatus::ShortHeader || s == CsvStatus::Foreign ||
           s == CsvStatus::NoChannels || s == CsvStatus::ReadFailed;
}

QString IsoTime(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")); }

int PrintInfo(const QString& path, bool json, double intervalMs)
{
    RecordingInfo info;
    const CsvResult r = InspectRecording(path, info);
    if (!r.Ok())
        return Fail(kExitDamaged, InputProblem(path, r));
    const HistLayout& l = info.Layout;
    const double period = ReadingPeriodMs(intervalMs, uint32_t(l.EnabledCount));
    const QDateTime start = StartDateTime(l.Info.Start);
    const QDateTime end = start.isValid() && info.Readings > 0
                              ? start.addMSecs(std::llround(double(info.Readings - 1) * period))
                              : QDateTime();

    QJsonArray channels;
    for (int k = 0; k < l.EnabledCount; ++k) {
        const int c = l.Enabled[k];
        const uint32_t code = l.Param.Range[c];
        const RangeInfo& ri = l.Info.Range[c];
        channels.append(QJsonObject{{QStringLiteral("channel"), c},
                                    {QStringLiteral("name"), QStringLiteral("AI%1").arg(c)},
                                    {QStringLiteral("range"), qint64(code)},
                                    {QStringLiteral("rangeName"), RangeName(int(code))},
                                    {QStringLiteral("unit"), RangeUnitText(code)},
                                    {QStringLiteral("min"), ri.RangeMin},
                                    {QStringLiteral("max"), ri.RangeMax},
                                    {QStringLiteral("step"), PlaybackGain(ri)},
                                    {QStringLiteral("thermocouple"), IsThermocouple(code)}});
    }
    if (json) {
        const QJsonObject o{{QStringLiteral("file"), path},
                            {QStringLiteral("bytes"), qint64(info.FileBytes)},
                            {QStringLiteral("start"), start.isValid() ? QJsonValue(IsoTime(start)) : QJsonValue()},
                            {QStringLiteral("end"), end.isValid() ? QJsonValue(IsoTime(end)) : QJsonValue()},
                            {QStringLiteral("intervalMs"), intervalMs},
                            {QStringLiteral("periodMs"), period},
                            {QStringLiteral("readings"), qint64(info.Readings)},
                            {QStringLiteral("headerReadings"), qint64(l.Info.ReadingCount)},
                            {QStringLiteral("codesPerRecord"), qint64(l.Info.CodesPerRecord)},
                            {QStringLiteral("firstChannel"), qint64(l.Param.FirstChannel)},
                            {QStringLiteral("channelCount"), qint64(l.Param.ChannelCount)},
                            {QStringLiteral("channels"), channels}};
        std::fputs(QJsonDocument(o).toJson(QJsonDocument::Indented).constData(), stdout);
        return kExitOk;
    }
    QString t;
    t += QStringLiteral("file       %1 (%2 bytes)\n").arg(path).arg(info.FileBytes);
    t += QStringLiteral("start      %1\n").arg(start.isValid() ? IsoTime(start) : QStringLiteral("unknown (the run never started)"));
    if (end.isValid())
        t += QStringLiteral("end        %1 (last reading)\n").arg(IsoTime(end));
    t += QStringLiteral("interval   %1 ms assumed, %2 ms per reading\n").arg(intervalMs).arg(period);
    t += QStringLiteral("readings   %1").arg(info.Readings);
    if (l.Info.ReadingCount != info.Readings)
        t += QStringLiteral(" (the header counts %1; complete records are shown)").arg(l.Info.ReadingCount);
    t += QLatin1Char('\n');
    t += QStringLiteral("channels   %1").arg(l.EnabledCount);
    if (l.EnabledCount > 0)
        t += QStringLiteral(" (AI%1-AI%2)").arg(l.Enabled[0]).arg(l.Enabled[l.EnabledCount - 1]);
    t += QLatin1Char('\n');
    for (const QJsonValue& v : channels) {
        const QJsonObject c = v.toObject();
        t += QStringLiteral("%1        range %2 \"%3\", %4, min %5, step %6%7\n")
                 .arg(c[QStringLiteral("name")].toString())
                 .arg(c[QStringLiteral("range")].toInt())
                 .arg(c[QStringLiteral("rangeName")].toString(), c[QStringLiteral("unit")].toString())
                 .arg(c[QStringLiteral("min")].toDouble(), 0, 'g', 10)
                 .arg(c[QStringLiteral("step")].toDouble(), 0, 'g', 10)
                 .arg(c[QStringLiteral("thermocouple")].toBool() ? QStringLiteral(", thermocouple") : QString());
    }
    std::fputs(t.toUtf8().constData(), stdout);
    return kExitOk;
}

bool ParseCount(const QString& text, int64_t& out)
{
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    if (!ok || v < 0)
        return false;
    out = v;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Past a file size limit a write fails and is reported like a full disk, and the
    // unfinished output is removed, instead of the process being killed.
    std::signal(SIGXFSZ, SIG_IGN);
    const QStringList args = QCoreApplication::arguments().mid(1);

    bool info = false, json = false;
    CsvOptions o;
    QString input, output;
    bool toStdout = true;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& v) {
            if (i + 1 >= args.size())
                return false;
            v = args[++i];
            return true;
        };
        QString v;
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            return kExitOk;
        } else if (a == QLatin1String("--info")) {
            info = true;
        } else if (a == QLatin1String("--json")) {
            json = true;
        } else if (a == QLatin1String("--raw")) {
            o.RawCodes = true;
        } else if (a == QLatin1String("--tsv")) {
            o.Separator = '\t';
        } else if (a == QLatin1String("--from")) {
            if (!value(v) || !ParseCount(v, o.First))
                return Fail(kExitUsage, QStringLiteral("--from needs a reading number (0 or more)"));
        } else if (a == QLatin1String("--to")) {
            if (!value(v) || !ParseCount(v, o.Last))
                return Fail(kExitUsage, QStringLiteral("--to needs a reading number (0 or more)"));
        } else if (a == QLatin1String("--interval")) {
            bool ok = false;
            o.IntervalMs = value(v) ? v.toDouble(&ok) : 0.0;
            if (!ok || !(o.IntervalMs > 0) || o.IntervalMs > 1e9)
                return Fail(kExitUsage, QStringLiteral("--interval needs a time in ms above 0"));
        } else if (a == QLatin1String("-o")) {
            if (!value(output) || output.isEmpty())
                return Fail(kExitUsage, QStringLiteral("-o needs a file name"));
            toStdout = output == QLatin1String("-");
        } else if (a.startsWith(QLatin1Char('-')) && a != QLatin1String("-")) {
            return Fail(kExitUsage, QStringLiteral("unknown option %1 (see --help)").arg(a));
        } else if (input.isEmpty()) {
            input = a;
        } else {
            return Fail(kExitUsage, QStringLiteral("one recording at a time (%1 and %2 given)").arg(input, a));
        }
    }
    if (input.isEmpty())
        return Fail(kExitUsage, QStringLiteral("no recording given (see --help)"));
    if (json && !info)
        return Fail(kExitUsage, QStringLiteral("--json goes with --info"));
    if (o.Last >= 0 && o.Last < o.First)
        return Fail(kExitUsage, QStringLiteral("--to %1 lies before --from %2").arg(o.Last).arg(o.First));
    if (info)
        return PrintInfo(input, json, o.IntervalMs);

    CsvResult r;
    if (toStdout) {
        QFile out;
        if (!out.open(1, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle))
            return Fail(kExitUsage, QStringLiteral("standard output: %1").arg(out.errorString()));
        r = ExportCsv(input, out, o);
    } else {
        r = ExportCsvFile(input, output, o);
    }
    if (r.Ok())
        return kExitOk;
    if (IsInputProblem(r.Status))
        return Fail(kExitDamaged, InputProblem(input, r));
    if (r.Status == CsvStatus::BadRange)
        return Fail(kExitUsage, QStringLiteral("%1: readings %2 are not in the file").arg(input, r.Detail));
    return Fail(kExitUsage, QStringLiteral("%1: writing failed: %2%3")
                                .arg(toStdout ? QStringLiteral("standard output") : output, r.Detail,
                                     toStdout ? QString() : QStringLiteral(" (no file left behind)")));
}
