// The rows of the live digit view, held compactly: per row its number and display mode,
// per cell one 32-bit datum (the raw code in the decimal and hexadecimal modes, the value
// in the voltage mode). Text is formed only when a cell is shown, so a row keeps the form
// of the mode it was appended in.
#pragma once

#include "device/mdq4170.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace nuv {

enum class DigitDisplayMode : uint8_t { Decimal = 0, Hex = 1, Voltage = 2 };

class CDigitRowModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kMaxRows = 1048576;

    explicit CDigitRowModel(QObject* parent = nullptr);

    // New columns: "Index" and one per enabled channel (in ascending order). Removes all rows.
    void SetColumns(const QStringList& channelTitles, const int* channels);
    void Clear();
    // Appends a row numbered `number` from the channels' readings in `scan`.
    void Append(uint32_t number, DigitDisplayMode mode, const ScanBlock& scan);

    int ChannelColumns() const { return m_nChannels; }

    // The optional last column "时间": the local time of the reading, hh:mm:ss.zzz, the run's
    // start plus the reading's count of periods.
    void SetTimeColumn(bool on);
    bool TimeColumn() const { return m_bTime; }
    int TimeColumnIndex() const { return m_bTime ? 1 + m_nChannels : -1; }
    // The run's start and reading period; `base` is the count of readings before the row
    // numbered 0 (the numbers start again after a million rows).
    void SetTimeBase(const QDateTime& start, double periodMs);
    void SetReadingBase(uint64_t base) { m_nBase = base; }
    // Bytes held by the rows (for measurements).
    size_t RowBytes() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;

    // Text of a cell as shown.
    QString CellText(int row, int column) const;

private:
    void Reserve();

    int m_nChannels = 0;
    int m_nChannel[8]{};
    QStringList m_titles;
    std::vector<uint32_t> m_number;
    std::vector<uint8_t> m_mode;
    std::vector<uint32_t> m_cells;   // m_nChannels per row
    bool m_bTime = false;
    QDateTime m_start;
    double m_dPeriod = 0.0;
    uint64_t m_nBase = 0;
};

} // namespace nuv
