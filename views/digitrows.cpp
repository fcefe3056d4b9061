#include "views/digitrows.h"

#include "views/curvemeasure.h"

#include <cstring>

namespace nuv {

CDigitRowModel::CDigitRowModel(QObject* parent) : QAbstractTableModel(parent) {}

void CDigitRowModel::SetColumns(const QStringList& channelTitles, const int* channels)
{
    beginResetModel();
    m_titles = channelTitles;
    m_nChannels = int(channelTitles.size());
    for (int i = 0; i < m_nChannels && i < 8; ++i)
        m_nChannel[i] = channels[i];
    m_number.clear();
    m_mode.clear();
    m_cells.clear();
    Reserve();
    endResetModel();
}

// Room for the full table is reserved once: appending never moves the rows, and pages
// the rows have not reached yet take no memory.
void CDigitRowModel::Reserve()
{
    m_number.reserve(kMaxRows);
    m_mode.reserve(kMaxRows);
    m_cells.reserve(size_t(kMaxRows) * size_t(m_nChannels));
}

void CDigitRowModel::Clear()
{
    if (m_number.empty())
        return;
    beginRemoveRows({}, 0, int(m_number.size()) - 1);
    m_number.clear();
    m_mode.clear();
    m_cells.clear();
    endRemoveRows();
}

void CDigitRowModel::Append(uint32_t number, DigitDisplayMode mode, const ScanBlock& scan)
{
    if (m_number.size() >= size_t(kMaxRows))
        Clear();
    const int row = int(m_number.size());
    beginInsertRows({}, row, row);
    m_number.push_back(number);
    m_mode.push_back(uint8_t(mode));
    for (int i = 0; i < m_nChannels; ++i) {
        const ChannelReading& r = scan.Channel[m_nChannel[i]];
        uint32_t datum;
        if (mode == DigitDisplayMode::Voltage)
            std::memcpy(&datum, &r.Value, sizeof datum);
        else
            datum = r.Code;
        m_cells.push_back(datum);
    }
    endInsertRows();
}

size_t CDigitRowModel::RowBytes() const
{
    return m_number.capacity() * sizeof(uint32_t) + m_mode.capacity() + m_cells.capacity() * sizeof(uint32_t);
}

int CDigitRowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_number.size());
}

int CDigitRowModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1 + m_nChannels + (m_bTime ? 1 : 0);
}

void CDigitRowModel::SetTimeColumn(bool on)
{
    if (on == m_bTime)
        return;
    const int column = 1 + m_nChannels;
    if (on) {
        beginInsertColumns({}, column, column);
        m_bTime = true;
        endInsertColumns();
    } else {
        beginRemoveColumns({}, column, column);
        m_bTime = false;
        endRemoveColumns();
    }
}

void CDigitRowModel::SetTimeBase(const QDateTime& start, double periodMs)
{
    m_start = start;
    m_dPeriod = periodMs;
    if (m_bTime && !m_number.empty())
        emit dataChanged(index(0, 1 + m_nChannels), index(int(m_number.size()) - 1, 1 + m_nChannels));
}

QString CDigitRowModel::CellText(int row, int column) const
{
    if (row < 0 || row >= int(m_number.size()) || column < 0 || column > m_nChannels + (m_bTime ? 1 : 0))
        return {};
    if (column == 0)
        return QString::number(m_number[size_t(row)]);
    if (column == 1 + m_nChannels)
        return measure::ClockText(m_start, m_dPeriod, int64_t(m_nBase + m_number[size_t(row)]));
    const uint32_t datum = m_cells[size_t(row) * size_t(m_nChannels) + size_t(column - 1)];
    switch (DigitDisplayMode(m_mode[size_t(row)])) {
    case DigitDisplayMode::Decimal:
        return QString::number(datum);
    case DigitDisplayMode::Hex:
        return QString::number(datum, 16);
    case DigitDisplayMode::Voltage:
    default: {
        float v;
        std::memcpy(&v, &datum, sizeof v);
        return QString::asprintf("%.3f", double(v));
    }
    }
}

QVariant CDigitRowModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return CellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant CDigitRowModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (section == 0)
        return QStringLiteral("Index");
    if (section >= 1 && section <= m_nChannels)
        return m_titles[section - 1];
    if (m_bTime && section == 1 + m_nChannels)
        return QStringLiteral("时间");
    return {};
}

} // namespace nuv
