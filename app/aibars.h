// The AI window's dialog bars: the operate bar (template 143, bar 144) and the status
// information bar (template 166).
#pragma once

#include <QToolBar>

class QLabel;
class QPushButton;
class QComboBox;
class QFont;

namespace nuv {

// Width at which the operate bar's tips wrap.
constexpr int kToolTipWidth = 256;
// `text` broken into lines no wider than `width` pixels in `font`.
QString WrapToolTipText(const QString& text, const QFont& font, int width);

class COperateBar : public QToolBar {
    Q_OBJECT
public:
    explicit COperateBar(QWidget* parent = nullptr);
    QPushButton* Button(int id) const;
    QComboBox* ZoomList() const { return m_pZoom; }

signals:
    void command(int id);

private:
    QPushButton* m_pStart;
    QPushButton* m_pStop;
    QComboBox* m_pZoom;
};

class CStatusInfoBar : public QToolBar {
    Q_OBJECT
public:
    explicit CStatusInfoBar(QWidget* parent = nullptr);
    // Value fields 1109 (file name), 1111 (free space), 1110 (stored size), 1287 (sample count).
    void SetField(int id, const QString& text);
    QString Field(int id) const;
};

} // namespace nuv
