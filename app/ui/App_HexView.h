// The bytes of one sector as rows of sixteen: their offset, their hex pairs and their text, edited
// in place from the keyboard. A sector's size is that of the disk's format, so nothing here ever
// makes the bytes longer or shorter: typing overwrites.
#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class TAppHexView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class TTextMode { Cp932, Ascii };

    explicit TAppHexView(QWidget* parent = nullptr);

    // Shows bytes from their first one, in the hex pane, with nothing selected and nothing
    // modified.
    void SetBytes(const QByteArray& bytes, bool editable);
    const QByteArray& Bytes() const { return FBytes; }
    bool IsModified() const { return FModified; }
    bool IsEditable() const { return FEditable; }

    void SetTextMode(TTextMode mode);
    TTextMode TextMode() const { return FTextMode; }

    // Writes value over the selection, or over the cursor's byte when nothing is selected.
    void FillSelection(uint8_t value);
    // Selects length bytes from offset with the cursor on the first and scrolls them into view;
    // a length of 0 only moves the cursor.
    void Select(int offset, int length);
    int CursorOffset() const { return FCursor; }
    // The first selected byte and how many there are; a length of 0 when none is.
    std::pair<int, int> Selection() const;

    QSize sizeHint() const override;

signals:
    void Edited();
    void CursorMoved(int offset);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    enum class TPane { Hex, Text };
    // How a byte reads in the code page 932 text column.
    enum class TCell : uint8_t { Single, Lead, Trail };

    int RowCount() const;
    int PageRows() const;
    // Where a cursor key takes the cursor; nothing for a key that is not one.
    std::optional<int> KeyTarget(const QKeyEvent& event) const;
    bool IsTyping(const QKeyEvent& event) const;
    void MoveCursor(int offset, bool extend);
    void SetPane(TPane pane);
    void TypeHexDigit(int digit);
    void TypeText(const QString& text);
    // Overwrites bytes at offset, then marks and tells a change when one byte or more differs.
    void Write(int offset, const QByteArray& bytes);
    void UpdateCells();
    void UpdateMetrics();
    void UpdateScrollBars();
    void UpdateInputMethod();
    void EnsureVisible(int offset);
    // Left edge of a byte's cell in the hex or text pane, in content coordinates.
    qreal HexX(int column) const;
    qreal TextX(int column) const;
    qreal ContentWidth() const;
    QRectF CellRect(TPane pane, int offset) const;
    // The pane under a point of the viewport, and the byte under it in a pane.
    TPane PaneAt(QPointF position) const;
    int OffsetAt(QPointF position, TPane pane) const;
    void PaintRow(QPainter& painter, int row) const;

    QByteArray FBytes;
    std::vector<TCell> FCells;
    bool FEditable = false;
    bool FModified = false;
    TTextMode FTextMode = TTextMode::Cp932;
    TPane FPane = TPane::Hex;
    int FCursor = 0;
    bool FLowNibble = false;
    // The selection runs from the anchor to the cursor, both included.
    bool FSelecting = false;
    int FAnchor = 0;
    TPane FDragPane = TPane::Hex;
    qreal FCharWidth = 1;
    int FRowHeight = 1;
    int FAscent = 0;
};
