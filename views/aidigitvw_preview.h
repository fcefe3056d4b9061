// Print preview of the playback digit view: one page at a time, each drawn only when the
// operator turns to it, so a recording of any length opens at once.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPageLayout>
#include <cstdint>

class QLabel;
class QScrollArea;
class QSpinBox;

namespace nuv {

class CAIDigitVw;

class CDigitPrintPreview : public QDialog {
    Q_OBJECT
public:
    // Previews the readings from `first` to the end of `view`'s file on the default
    // printer's page.
    CDigitPrintPreview(CAIDigitVw* view, int64_t first, QWidget* parent = nullptr);

    int PageCount() const { return m_nPages; }
    int CurrentPage() const { return m_nPage; }
    void ShowPage(int page);
    // The page on show as drawn, and how many pages have been drawn so far.
    const QImage& PageImage() const { return m_image; }
    int RenderedPages() const { return m_nRendered; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void Render();
    void Zoom(double factor);

    CAIDigitVw* m_pView;
    int64_t m_nFirst;
    QPageLayout m_layout;
    int m_nPages = 1;
    int m_nPage = 0;
    int m_nRendered = 0;
    double m_dZoom = 0;        // page pixels per point; 0: fit the width
    QImage m_image;
    QScrollArea* m_pArea;
    QLabel* m_pPage;
    QSpinBox* m_pSpin;
};

} // namespace nuv
