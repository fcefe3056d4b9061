// Taking data out of a recording: the CSV export (values, times, break columns, ranges and
// cursors, cancel and failures), the command-line converter and the waveform pictures.
#include "app/aihistfrm.h"
#include "app/mainfrm.h"
#include "app/nuvapp.h"
#include "datafile/aihistdoc.h"
#include "datafile/csvexport.h"
#include "datafile/exportdlg.h"
#include "framework/cmdtarget.h"
#include "framework/msgseam.h"
#include "res/resource.h"
#include "tst_hist_writer.h"
#include "views/aicurvevw.h"
#include "views/waveimage.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <ctime>
#include <memory>
#include <sys/resource.h>

using namespace nuv;

namespace {

// Channels 2 (±10 V), 3 (±100 mV) and 4 (E thermocouple), ten readings from a local start
// time two seconds before the clocks jump from 02:00 to 03:00 (Europe/Berlin).
histtest::Spec RecordingSpec(uint64_t readings = 10)
{
    histtest::Spec s;
    s.first = 2;
    s.count = 3;
    s.readings = readings;
    s.range[3] = 1;
    s.rangeMin[3] = -100;
    s.codeStep[3] = 200.0 / 65536;
    s.range[4] = 12;
    s.rangeMin[4] = -200;
    s.codeStep[4] = 0.1;   // not a float: playback rounds the gain to single precision
    return s;
}

const QDateTime kStart(QDate(2024, 3, 31), QTime(1, 59, 58, 500));

QByteArray Recording(uint64_t readings = 10)
{
    QByteArray f = histtest::Build(RecordingSpec(readings));
    auto* p = reinterpret_cast<uint8_t*>(f.data());
    const uint16_t start[8] = {2024, 3, 0, 31, 1, 59, 58, 500};
    for (int i = 0; i < 8; ++i)
        histtest::le16(p + 208 + 2 * i, start[i]);
    histtest::le16(p + 1312 + 6 * 3 + 4, 0xFFFF);   // reading 3: the thermocouple broke
    histtest::le16(p + 1312 + 6 * 5 + 0, 0xFFFF);   // reading 5: full scale on a voltage channel
    return f;
}

uint16_t CodeOf(const QByteArray& f, int reading, int slot)
{
    const auto* p = reinterpret_cast<const uint8_t*>(f.constData()) + 1312 + 6 * reading + 2 * slot;
    return uint16_t(p[0] | (p[1] << 8));
}

// The text the export must give, built from the recording's bytes, the conversion rule and
// the history table's number format ("%.5f" as Qt writes it).
QString Expected(const QByteArray& f, int first, int last, QChar sep, bool raw)
{
    const histtest::Spec s = RecordingSpec();
    QString t = QStringLiteral("index,time,AI2 (V),%1AI3 (mV),%2AI4 (℃),%3AI4 break\n")
                    .arg(raw ? QStringLiteral("AI2 code,") : QString(), raw ? QStringLiteral("AI3 code,") : QString(),
                         raw ? QStringLiteral("AI4 code,") : QString());
    for (int i = first; i <= last; ++i) {
        QStringList row{QString::number(i), kStart.addMSecs(1000LL * i).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz"))};
        for (int k = 0; k < 3; ++k) {
            const int c = 2 + k;
            const uint16_t code = CodeOf(f, i, k);
            const bool broken = c == 4 && code == 0xFFFF;
            row << (broken ? QString() : QString::asprintf("%.5f", s.rangeMin[c] + code * double(float(s.codeStep[c]))));
            if (raw)
                row << QString::number(code);
            if (c == 4)
                row << (broken ? QStringLiteral("1") : QStringLiteral("0"));
        }
        t += row.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    if (sep != QLatin1Char(','))
        t.replace(QLatin1Char(','), sep);
    return t;
}

QString ReadText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<missing>");
}

struct Run {
    int code = -1;
    QByteArray out, err;
};

} // namespace

class TstHistExport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QList<MsgRequest> m_msgs;
    QString m_path;
    QByteArray m_file;

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // nuv-export without a display and without the offscreen platform.
    Run Cli(const QStringList& args, const QString& shellPrefix = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(v));
        p.setProcessEnvironment(env);
        if (shellPrefix.isEmpty()) {
            p.start(QStringLiteral(NUV_EXPORT), args);
        } else {
            QStringList quoted;
            for (const QString& a : args)
                quoted << QLatin1Char('\'') + a + QLatin1Char('\'');
            p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), shellPrefix + QStringLiteral("; exec '") +
                                                                       QStringLiteral(NUV_EXPORT) + QStringLiteral("' ") +
                                                                       quoted.join(QLatin1Char(' '))});
        }
        Run r;
        if (!p.waitForFinished(30000))
            return r;
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

    // Files in the folder besides the recordings.
    QStringList Leftovers() const
    {
        QStringList all = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
        all.removeIf([](const QString& n) { return n.endsWith(QLatin1String(".bin")); });
        return all;
    }

private slots:
    void initTestCase()
    {
        qputenv("TZ", "Europe/Berlin");
        tzset();
        QVERIFY(m_dir.isValid());
        SetMessageHandler([this](const MsgRequest& r) {
            m_msgs.append(r);
            return int(IDOK);
        });
        m_path = Path("run.bin");
        m_file = Recording();
        QVERIFY(histtest::Write(m_path, m_file));
    }
    void init() { m_msgs.clear(); }

    void csvHoldsTheRecording()
    {
        CsvOptions o;
        CsvResult r = ExportCsvFile(m_path, Path("all.csv"), o);
        QVERIFY2(r.Ok(), qPrintable(r.Detail));
        QCOMPARE(r.Rows, 10u);
        const QString text = ReadText(Path("all.csv"));
        QCOMPARE(text, Expected(m_file, 0, 9, QLatin1Char(','), false));
        // Spelled out once: the clocks jump at 02:00, the break empties its value.
        const QStringList lines = text.split(QLatin1Char('\n'));
        QVERIFY(lines[3].startsWith(QLatin1String("2,2024-03-31T03:00:00.500,")));
        QVERIFY(lines[4].endsWith(QLatin1String(",,1")));
        QVERIFY(lines[6].startsWith(QLatin1String("5,2024-03-31T03:00:03.500,9.99969,")));
        QCOMPARE(r.Bytes, uint64_t(text.toUtf8().size()));

        // 65536 readings of three channels hold every code in every channel.
        const QByteArray every = Recording(65536);
        QVERIFY(histtest::Write(Path("every.bin"), every));
        QVERIFY(ExportCsvFile(Path("every.bin"), Path("every.csv"), o).Ok());
        QCOMPARE(ReadText(Path("every.csv")), Expected(every, 0, 65535, QLatin1Char(','), false));

        o.RawCodes = true;
        o.Separator = '\t';
        r = ExportCsvFile(m_path, Path("all.tsv"), o);
        QVERIFY(r.Ok());
        QCOMPARE(ReadText(Path("all.tsv")), Expected(m_file, 0, 9, QLatin1Char('\t'), true));

        // A slower interval, and one faster than the module reads three channels.
        o = CsvOptions{};
        o.IntervalMs = 2500;
        QVERIFY(ExportCsvFile(m_path, Path("slow.csv"), o).Ok());
        QVERIFY(ReadText(Path("slow.csv")).split(QLatin1Char('\n'))[2].startsWith(QLatin1String("1,2024-03-31T03:00:01.000,")));
        o.IntervalMs = 100;
        QVERIFY(ExportCsvFile(m_path, Path("fast.csv"), o).Ok());
        QVERIFY(ReadText(Path("fast.csv")).split(QLatin1Char('\n'))[2].startsWith(QLatin1String("1,2024-03-31T01:59:58.800,")));

        // A spreadsheet-like reader sees the same fields.
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is not installed");
        for (const QString& name : {QStringLiteral("all.csv"), QStringLiteral("all.tsv")}) {
            QProcess p;
            p.start(python, {QStringLiteral("-c"),
                             QStringLiteral("import csv,sys\n"
                                            "d='excel-tab' if sys.argv[1].endswith('.tsv') else 'excel'\n"
                                            "rows=list(csv.reader(open(sys.argv[1],newline='',encoding='utf-8'),dialect=d))\n"
                                            "print(len(rows)); print('|'.join(rows[0])); print('|'.join(rows[4]))"),
                             Path(name)});
            QVERIFY(p.waitForFinished(30000));
            const QStringList got = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
            const QStringList want = ReadText(Path(name)).split(QLatin1Char('\n'));
            const QChar sep = name.endsWith(QLatin1String(".tsv")) ? QLatin1Char('\t') : QLatin1Char(',');
            QCOMPARE(got.value(0), QStringLiteral("11"));
            QCOMPARE(got.value(1), QString(want[0]).replace(sep, QLatin1Char('|')));
            QCOMPARE(got.value(2), QString(want[4]).replace(sep, QLatin1Char('|')));
        }
    }

    void rangesAndCursors()
    {
        CAIHistDoc doc;
        QVERIFY(doc.OpenFile(m_path));
        doc.m_nCursorScan[0] = 7;
        doc.m_nCursorScan[1] = 3;
        CExportCsvDlg dlg(doc);
        QCOMPARE(dlg.objectName(), QStringLiteral("213"));
        CsvOptions o = dlg.Options();
        QCOMPARE(o.First, 0);
        QCOMPARE(o.Last, -1);
        QCOMPARE(o.Separator, ',');

        dlg.findChild<QRadioButton*>(QString::number(IDC_EXPORT_CURSORS))->setChecked(true);
        o = dlg.Options();
        QCOMPARE(o.First, 3);
        QCOMPARE(o.Last, 7);
        QVERIFY(ExportCsvFile(m_path, Path("cursors.csv"), o).Ok());
        QCOMPARE(ReadText(Path("cursors.csv")), Expected(m_file, 3, 7, QLatin1Char(','), false));

        // 从 8 到 6: the range in either order; the tab and the codes as chosen.
        dlg.findChild<QSpinBox*>(QString::number(IDC_EXPORT_FROM))->setValue(8);
        dlg.findChild<QSpinBox*>(QString::number(IDC_EXPORT_TO))->setValue(6);
        QVERIFY(dlg.findChild<QRadioButton*>(QString::number(IDC_EXPORT_RANGE))->isChecked());
        dlg.findChild<QRadioButton*>(QString::number(IDC_EXPORT_TAB))->setChecked(true);
        dlg.findChild<QAbstractButton*>(QString::number(IDC_EXPORT_RAW))->setChecked(true);
        o = dlg.Options();
        QCOMPARE(o.First, 6);
        QCOMPARE(o.Last, 8);
        QVERIFY(ExportCsvFile(m_path, Path("range.tsv"), o).Ok());
        QCOMPARE(ReadText(Path("range.tsv")), Expected(m_file, 6, 8, QLatin1Char('\t'), true));

        // Past the end is cut at the last reading; a start past it is refused, no file made.
        o = CsvOptions{};
        o.First = 8;
        o.Last = 1000;
        QCOMPARE(ExportCsvFile(m_path, Path("tail.csv"), o).Rows, 2u);
        o.First = 10;
        QCOMPARE(ExportCsvFile(m_path, Path("none.csv"), o).Status, CsvStatus::BadRange);
        QVERIFY(!QFile::exists(Path("none.csv")));

        // Through the command's thread and progress dialog, with its closing message.
        const CsvResult r = RunCsvExport(nullptr, m_path, Path("thread.csv"), CsvOptions{});
        QVERIFY(r.Ok());
        QCOMPARE(ReadText(Path("thread.csv")), Expected(m_file, 0, 9, QLatin1Char(','), false));
        QCOMPARE(m_msgs.size(), 1);
        QVERIFY(m_msgs[0].text.startsWith(QStringLiteral("CSV导出完成: 10 个读数")));
        QCOMPARE(m_msgs[0].caption, QStringLiteral("SYS"));
    }

    void cancelledOrFailedExportLeavesNoFile()
    {
        // 300000 readings: several blocks, mostly a hole on disk.
        histtest::Spec s = RecordingSpec(300000);
        const QString big = Path("big.bin");
        QVERIFY(histtest::WriteSparse(big, s, 10));
        for (const QString& f : QDir(m_dir.path()).entryList({QStringLiteral("*.csv"), QStringLiteral("*.tsv")}))
            QFile::remove(Path(f));

        std::atomic<bool> cancel{false};
        uint64_t seen = 0;
        CsvResult r = ExportCsvFile(big, Path("cancel.csv"), CsvOptions{}, &cancel, [&](uint64_t done, uint64_t total) {
            seen = done;
            QCOMPARE(total, 300000u);
            cancel = true;
        });
        QCOMPARE(r.Status, CsvStatus::Cancelled);
        QVERIFY(seen > 0 && seen < 300000);
        QCOMPARE(Leftovers(), QStringList{});
        QVERIFY(!CsvStatusText(r).isEmpty());

        // An older file of the name stays as it was.
        QVERIFY(histtest::Write(Path("kept.csv"), QByteArray("older\n")));
        cancel = false;
        r = ExportCsvFile(big, Path("kept.csv"), CsvOptions{}, &cancel, [&](uint64_t, uint64_t) { cancel = true; });
        QCOMPARE(r.Status, CsvStatus::Cancelled);
        QCOMPARE(ReadText(Path("kept.csv")), QStringLiteral("older\n"));

        // A file size limit stands for a full disk: the system's reason, nothing left behind.
        QFile::remove(Path("kept.csv"));
        rlimit before{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &before) == 0);
        rlimit small = before;
        small.rlim_cur = 256 * 1024;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        r = ExportCsvFile(big, Path("full.csv"), CsvOptions{});
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(r.Status, CsvStatus::WriteFailed);
        QVERIFY2(r.Detail.contains(QStringLiteral("too large"), Qt::CaseInsensitive), qPrintable(r.Detail));
        QVERIFY(CsvStatusText(r).contains(r.Detail));
        QCOMPARE(Leftovers(), QStringList{});
        QFile::remove(big);
    }

    void commandLine()
    {
        Run r = Cli({m_path});
        QCOMPARE(r.code, 0);
        QCOMPARE(QString::fromUtf8(r.out), Expected(m_file, 0, 9, QLatin1Char(','), false));
        QVERIFY(r.err.isEmpty());
        r = Cli({QStringLiteral("--from"), QStringLiteral("6"), QStringLiteral("--to"), QStringLiteral("8"),
                 QStringLiteral("--raw"), QStringLiteral("--tsv"), m_path, QStringLiteral("-o"), Path("cli.tsv")});
        QCOMPARE(r.code, 0);
        QCOMPARE(ReadText(Path("cli.tsv")), Expected(m_file, 6, 8, QLatin1Char('\t'), true));

        r = Cli({QStringLiteral("--info"), QStringLiteral("--json"), m_path});
        QCOMPARE(r.code, 0);
        const QJsonObject info = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(info[QStringLiteral("readings")].toInt(), 10);
        QCOMPARE(info[QStringLiteral("start")].toString(), QStringLiteral("2024-03-31T01:59:58.500"));
        QCOMPARE(info[QStringLiteral("channels")].toArray().size(), 3);
        QCOMPARE(info[QStringLiteral("channels")].toArray()[2].toObject()[QStringLiteral("unit")].toString(),
                 QStringLiteral("℃"));
        r = Cli({QStringLiteral("--info"), m_path});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains("readings   10\n"));
        QVERIFY(Cli({QStringLiteral("--help")}).out.contains("Usage: nuv-export"));

        // A torn last record is left out; nothing is said about it.
        QVERIFY(histtest::Write(Path("torn.bin"), m_file + QByteArray(3, '\x7f')));
        r = Cli({Path("torn.bin")});
        QCOMPARE(r.code, 0);
        QCOMPARE(QString::fromUtf8(r.out), Expected(m_file, 0, 9, QLatin1Char(','), false));

        // Foreign, cut, empty and missing files: status 2 and one line.
        QByteArray foreign = m_file;
        histtest::le32(reinterpret_cast<uint8_t*>(foreign.data()) + 188, 0x4171);
        QVERIFY(histtest::Write(Path("foreign.bin"), foreign));
        QVERIFY(histtest::Write(Path("cut.bin"), m_file.left(700)));
        QVERIFY(histtest::Write(Path("empty.bin"), QByteArray()));
        const QList<QPair<QString, QString>> bad{{Path("foreign.bin"), QStringLiteral("not a data file of this product")},
                                                 {Path("cut.bin"), QStringLiteral("shorter than the 1312-byte header")},
                                                 {Path("empty.bin"), QStringLiteral("0 bytes")},
                                                 {Path("missing.bin"), QStringLiteral("cannot open")}};
        for (const auto& [file, why] : bad) {
            r = Cli({file, QStringLiteral("-o"), Path("bad.csv")});
            QCOMPARE(r.code, 2);
            QCOMPARE(r.err.count('\n'), 1);
            QVERIFY2(r.err.contains(why.toUtf8()) && r.err.contains(file.toUtf8()), r.err.constData());
            QVERIFY(r.out.isEmpty());
            QVERIFY(!QFile::exists(Path("bad.csv")));
        }
        // A full disk (a size limit here) while writing the file: status 1, one line, no file.
        r = Cli({m_path, QStringLiteral("-o"), Path("limited.csv")}, QStringLiteral("ulimit -f 0"));
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err.count('\n'), 1);
        QVERIFY2(r.err.contains("no file left behind"), r.err.constData());
        QVERIFY(!QFile::exists(Path("limited.csv")));
        QCOMPARE(Cli({QStringLiteral("--bogus"), m_path}).code, 1);
    }

    void picturesOfThePane()
    {
        // A history window as the program opens it.
        auto* main = new CMainFrm;
        theApp.m_pMainWnd = main;
        main->resize(1400, 900);
        main->show();
        CAIHistDoc* doc = theApp.OpenDocumentFile(m_path);
        QVERIFY(doc != nullptr && doc->m_bOpen);
        QTest::qWait(50);
        CAIHistFrm* frame = main->findChild<CAIHistFrm*>();
        QVERIFY(frame != nullptr && frame->GetCurveVw() != nullptr);
        CAICurveVw& view = *frame->GetCurveVw();
        const QSize pane = view.viewport()->size();
        for (int id : {ID_EXPORT_CSV, ID_SAVE_WAVE_IMAGE}) {
            CCmdUI ui(id);
            QVERIFY(frame->OnCmdMsg(id, &ui));
            QVERIFY(ui.m_bEnabled);
        }

        QVERIFY(SaveWaveImage(view, Path("pane.png"), WaveImageKind::Png1x, QString()));
        const QImage png(Path("pane.png"));
        QCOMPARE(png.size(), pane);
        QImage shown(pane, QImage::Format_RGB32);
        view.viewport()->render(&shown);
        QCOMPARE(png.convertToFormat(QImage::Format_RGB32), shown);
        QVERIFY(SaveWaveImage(view, Path("pane2.png"), WaveImageKind::Png2x, QString()));
        QCOMPARE(QImage(Path("pane2.png")).size(), pane * 2);

        const QString caption = WaveCaption(view);
        QVERIFY2(caption.contains(QStringLiteral("读数 0 – ")) && caption.contains(QStringLiteral("2024-03-31 01:59:58.500")),
                 qPrintable(caption));
        QVERIFY(SaveWaveImage(view, Path("pane.pdf"), WaveImageKind::Pdf, caption));
        QString error;
        QVERIFY(!SaveWaveImage(view, Path("no/such/folder/pane.png"), WaveImageKind::Png1x, QString(), &error));
        QVERIFY(!error.isEmpty());
        theApp.m_pMainWnd = nullptr;
        delete main;

        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext is not installed");
        QProcess p;
        p.start(pdftotext, {Path("pane.pdf"), QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput()).simplified();
        for (const QString& part : {QStringLiteral("run.bin"), QStringLiteral("通道: AI2"), QStringLiteral("E型"),
                                    QStringLiteral("2024-03-31 01:59:58.500")})
            QVERIFY2(text.contains(part), qPrintable(text));
    }
};

QTEST_MAIN(TstHistExport)
#include "tst_hist_export.moc"
