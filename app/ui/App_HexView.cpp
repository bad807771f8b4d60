#include "App_HexView.h"

#include "Rtl_codepage.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int BytesPerRow = 16;
// The columns of a row, in character widths: a margin, the offset, the hex pairs with one more
// space after the eighth, the text, and a cell past it for a two-byte character that starts on
// the last byte of a row and ends on the next row.
constexpr int OffsetColumn = 1;
constexpr int HexColumn = 7;
constexpr int TextColumn = 57;
constexpr int Columns = 75;

const QString& HexPair(uint8_t byte) {
    static const std::array<QString, 256> pairs = [] {
        std::array<QString, 256> texts;
        for (size_t i = 0; i < texts.size(); ++i)
            texts[i] = QString::asprintf("%02X", static_cast<unsigned>(i));
        return texts;
    }();
    return pairs[byte];
}

// The character of every two-byte pair of code page 932, 0 for a pair that stands for none a
// font can show. Looked up rather than decoded as it is drawn: a row is drawn on every scroll.
const std::vector<char16_t>& PairChars() {
    static const std::vector<char16_t> chars = [] {
        std::vector<char16_t> table(0x10000);
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!rtl::IsDBCSLeadByte(static_cast<unsigned char>(lead)))
                continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (!rtl::IsDBCSTrailByte(static_cast<unsigned char>(trail)))
                    continue;
                const char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
                const QString text =
                    QString::fromStdString(rtl::Cp932ToUtf8(std::string_view(pair, 2)));
                if (text.size() == 1 && text[0] != QChar::ReplacementCharacter && text[0].isPrint())
                    table[lead << 8 | trail] = text[0].unicode();
            }
        }
        return table;
    }();
    return chars;
}

char16_t PairChar(uint8_t lead, uint8_t trail) {
    return PairChars()[static_cast<size_t>(lead) << 8 | trail];
}

// The character a byte that stands alone shows; 0 for one shown as a dot.
char16_t SingleChar(uint8_t byte, TAppHexView::TTextMode mode) {
    if (byte >= 0x20 && byte <= 0x7E)
        return byte;
    if (mode == TAppHexView::TTextMode::Cp932 && byte >= 0xA1 && byte <= 0xDF)
        return static_cast<char16_t>(0xFF61 + (byte - 0xA1));
    return 0;
}

// The value of a single hex digit; -1 for any other text.
int HexDigit(const QString& text) {
    if (text.size() != 1)
        return -1;
    const char16_t c = text[0].unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

bool IsBackspace(const QKeyEvent& event) {
    return event.key() == Qt::Key_Backspace &&
           (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

TAppHexView::TAppHexView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    UpdateMetrics();
    UpdateScrollBars();
}

void TAppHexView::SetBytes(const QByteArray& bytes, bool editable) {
    FBytes = bytes;
    FEditable = editable;
    FModified = false;
    FPane = TPane::Hex;
    FLowNibble = false;
    FSelecting = false;
    const bool moved = FCursor != 0;
    FCursor = 0;
    UpdateCells();
    UpdateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    UpdateInputMethod();
    viewport()->update();
    if (moved)
        emit CursorMoved(FCursor);
}

void TAppHexView::SetTextMode(TTextMode mode) {
    FTextMode = mode;
    UpdateCells();
    viewport()->update();
}

void TAppHexView::FillSelection(uint8_t value) {
    if (!FEditable || FBytes.isEmpty())
        return;
    const auto [start, length] = Selection();
    Write(start, QByteArray(std::max(length, 1), static_cast<char>(value)));
}

void TAppHexView::Select(int offset, int length) {
    if (FBytes.isEmpty())
        return;
    offset = std::clamp(offset, 0, static_cast<int>(FBytes.size()) - 1);
    length = std::clamp(length, 0, static_cast<int>(FBytes.size()) - offset);
    // The end first, so that the start is what stays in view when the whole does not fit.
    EnsureVisible(offset + std::max(length, 1) - 1);
    // Selected before the cursor moves, so that who hears of the move sees the selection too.
    FSelecting = length > 0;
    FAnchor = offset + length - 1;
    MoveCursor(offset, FSelecting);
}

std::pair<int, int> TAppHexView::Selection() const {
    if (!FSelecting)
        return {FCursor, 0};
    return {std::min(FAnchor, FCursor), std::abs(FAnchor - FCursor) + 1};
}

QSize TAppHexView::sizeHint() const {
    const int frame = 2 * frameWidth();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return {static_cast<int>(std::ceil(ContentWidth())) + frame + bar,
            BytesPerRow * FRowHeight + frame};
}

bool TAppHexView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // The keys the view acts on are its own while it has the keyboard: a shortcut of the
        // window on one of them would take it away.
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (KeyTarget(key) || (FEditable && IsTyping(key)) || IsBackspace(key)) {
            event->accept();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto& key = static_cast<QKeyEvent&>(*event);
        if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) {
            const bool back =
                key.key() == Qt::Key_Backtab || key.modifiers().testFlag(Qt::ShiftModifier);
            const Qt::KeyboardModifiers others =
                key.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
            // Tab goes between the panes; Ctrl+Tab is then the way out to the next control.
            if (others == Qt::NoModifier)
                SetPane(FPane == TPane::Hex ? TPane::Text : TPane::Hex);
            else if (others == Qt::ControlModifier)
                focusNextPrevChild(!back);
            else
                return QAbstractScrollArea::event(event);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TAppHexView::keyPressEvent(QKeyEvent* event) {
    if (const std::optional<int> target = KeyTarget(*event)) {
        if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
            // The page scrolls with the cursor, which keeps its place on the screen.
            QScrollBar* bar = verticalScrollBar();
            bar->setValue(bar->value() + *target / BytesPerRow - FCursor / BytesPerRow);
        }
        MoveCursor(*target, event->modifiers().testFlag(Qt::ShiftModifier));
        return;
    }
    if (IsBackspace(*event)) {
        // Back over what typing went past: a nibble in the hex pane, a byte in the text pane.
        if (FPane == TPane::Hex && FLowNibble) {
            FLowNibble = false;
            FSelecting = false;
            viewport()->update();
        } else if (FCursor > 0) {
            MoveCursor(FCursor - 1, false);
            FLowNibble = FPane == TPane::Hex;
        }
        return;
    }
    if (IsTyping(*event)) {
        if (!FEditable)
            return;
        if (FPane == TPane::Text) {
            TypeText(event->text());
            return;
        }
        const int digit = HexDigit(event->text());
        if (digit >= 0 && !FBytes.isEmpty())
            TypeHexDigit(digit);
        else
            QApplication::beep();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void TAppHexView::inputMethodEvent(QInputMethodEvent* event) {
    // The characters an input method composes arrive here rather than as keys.
    if (FEditable && FPane == TPane::Text && !event->commitString().isEmpty())
        TypeText(event->commitString());
    event->accept();
}

QVariant TAppHexView::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return FEditable && FPane == TPane::Text;
    case Qt::ImCursorRectangle:
        return CellRect(FPane, FCursor).translated(viewport()->pos()).toAlignedRect();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void TAppHexView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setFont(font());
    const int first = verticalScrollBar()->value();
    const int from = first + event->rect().top() / FRowHeight;
    const int to = std::min(RowCount() - 1, first + event->rect().bottom() / FRowHeight);
    for (int row = from; row <= to; ++row)
        PaintRow(painter, row);
}

void TAppHexView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TAppHexView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateMetrics();
        UpdateScrollBars();
        updateGeometry();
        viewport()->update();
    }
}

void TAppHexView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TAppHexView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void TAppHexView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || FBytes.isEmpty()) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    FDragPane = PaneAt(event->position());
    SetPane(FDragPane);
    MoveCursor(OffsetAt(event->position(), FDragPane),
               event->modifiers().testFlag(Qt::ShiftModifier));
}

void TAppHexView::mouseMoveEvent(QMouseEvent* event) {
    if (!event->buttons().testFlag(Qt::LeftButton) || FBytes.isEmpty())
        return;
    // The pane the drag started in, wherever it has gone since.
    const int offset = OffsetAt(event->position(), FDragPane);
    if (offset != FCursor)
        MoveCursor(offset, true);
}

void TAppHexView::scrollContentsBy(int /*dx*/, int /*dy*/) {
    viewport()->update();
}

int TAppHexView::RowCount() const {
    return static_cast<int>((FBytes.size() + BytesPerRow - 1) / BytesPerRow);
}

int TAppHexView::PageRows() const {
    return std::max(1, viewport()->height() / FRowHeight);
}

std::optional<int> TAppHexView::KeyTarget(const QKeyEvent& event) const {
    const Qt::KeyboardModifiers others =
        event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    const bool control = others == Qt::ControlModifier;
    if (others != Qt::NoModifier && !control)
        return std::nullopt;
    const int last = std::max(0, static_cast<int>(FBytes.size()) - 1);
    const int column = FCursor % BytesPerRow;
    const int rowStart = FCursor - column;
    // Up and down keep the column; past the last row the cursor stops on the last byte.
    const auto rows = [&](int count) {
        const int target = FCursor + count * BytesPerRow;
        if (target < 0)
            return column;
        if (target <= last)
            return target;
        return std::min(last - last % BytesPerRow + column, last);
    };
    switch (event.key()) {
    case Qt::Key_Home:
        return control ? 0 : rowStart;
    case Qt::Key_End:
        return control ? last : std::min(rowStart + BytesPerRow - 1, last);
    default:
        break;
    }
    if (control)
        return std::nullopt;
    switch (event.key()) {
    case Qt::Key_Left:
        return std::max(FCursor - 1, 0);
    case Qt::Key_Right:
        return std::min(FCursor + 1, last);
    case Qt::Key_Up:
        return rows(-1);
    case Qt::Key_Down:
        return rows(1);
    case Qt::Key_PageUp:
        return rows(-PageRows());
    case Qt::Key_PageDown:
        return rows(PageRows());
    default:
        return std::nullopt;
    }
}

bool TAppHexView::IsTyping(const QKeyEvent& event) const {
    const QString text = event.text();
    if (text.isEmpty() ||
        (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    // Return, Escape and the like have a text too, which is no character to write.
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
}

void TAppHexView::MoveCursor(int offset, bool extend) {
    offset = std::clamp(offset, 0, std::max(0, static_cast<int>(FBytes.size()) - 1));
    if (!extend)
        FSelecting = false;
    else if (!FSelecting) {
        FAnchor = FCursor;
        FSelecting = true;
    }
    FLowNibble = false;
    const bool moved = offset != FCursor;
    FCursor = offset;
    EnsureVisible(offset);
    viewport()->update();
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
    if (moved)
        emit CursorMoved(offset);
}

void TAppHexView::SetPane(TPane pane) {
    if (pane == FPane)
        return;
    FPane = pane;
    FLowNibble = false;
    UpdateInputMethod();
    EnsureVisible(FCursor);
    viewport()->update();
}

void TAppHexView::TypeHexDigit(int digit) {
    const auto byte = static_cast<uint8_t>(FBytes[FCursor]);
    const int value = FLowNibble ? (byte & 0xF0) | digit : digit << 4 | (byte & 0x0F);
    Write(FCursor, QByteArray(1, static_cast<char>(value)));
    FSelecting = false;
    if (FLowNibble && FCursor + 1 < FBytes.size()) {
        MoveCursor(FCursor + 1, false);
        return;
    }
    // The last byte's low nibble is as far as typing goes: the bytes never grow.
    FLowNibble = true;
    viewport()->update();
}

void TAppHexView::TypeText(const QString& text) {
    std::optional<std::string> encoded;
    if (FTextMode == TTextMode::Cp932)
        encoded = rtl::Utf8ToCp932(text.toStdString());
    else if (std::all_of(text.begin(), text.end(),
                         [](QChar c) { return c.unicode() >= 0x20 && c.unicode() <= 0x7E; }))
        encoded = text.toStdString();
    if (!encoded || encoded->empty() ||
        FCursor + static_cast<qsizetype>(encoded->size()) > FBytes.size()) {
        QApplication::beep();
        return;
    }
    Write(FCursor, QByteArray::fromStdString(*encoded));
    MoveCursor(FCursor + static_cast<int>(encoded->size()), false);
}

void TAppHexView::Write(int offset, const QByteArray& bytes) {
    if (FBytes.sliced(offset, bytes.size()) == bytes)
        return;
    FBytes.replace(offset, bytes.size(), bytes);
    FModified = true;
    UpdateCells();
    viewport()->update();
    emit Edited();
}

void TAppHexView::UpdateCells() {
    FCells.assign(static_cast<size_t>(FBytes.size()), TCell::Single);
    if (FTextMode != TTextMode::Cp932)
        return;
    // A pair is read from the start of the sector on, as a program reading it would, so a pair
    // may begin on the last byte of one row and end on the next one.
    const auto* bytes = reinterpret_cast<const uint8_t*>(FBytes.constData());
    for (size_t i = 0; i + 1 < FCells.size(); ++i) {
        if (rtl::IsDBCSLeadByte(bytes[i]) && rtl::IsDBCSTrailByte(bytes[i + 1]) &&
            PairChar(bytes[i], bytes[i + 1]) != 0) {
            FCells[i] = TCell::Lead;
            FCells[++i] = TCell::Trail;
        }
    }
}

void TAppHexView::UpdateMetrics() {
    const QFontMetricsF metrics(font());
    FCharWidth = metrics.horizontalAdvance(QLatin1Char('0'));
    FAscent = static_cast<int>(std::ceil(metrics.ascent()));
    // A little air between the rows, so that the highlights of two rows do not touch the text.
    FRowHeight = static_cast<int>(std::ceil(metrics.height())) + 2;
}

void TAppHexView::UpdateScrollBars() {
    const int page = PageRows();
    verticalScrollBar()->setRange(0, std::max(0, RowCount() - page));
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setSingleStep(1);
    const int width = viewport()->width();
    horizontalScrollBar()->setRange(
        0, std::max(0, static_cast<int>(std::ceil(ContentWidth())) - width));
    horizontalScrollBar()->setPageStep(width);
    horizontalScrollBar()->setSingleStep(static_cast<int>(std::ceil(FCharWidth)));
}

void TAppHexView::UpdateInputMethod() {
    setAttribute(Qt::WA_InputMethodEnabled, FEditable && FPane == TPane::Text);
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

void TAppHexView::EnsureVisible(int offset) {
    if (FBytes.isEmpty())
        return;
    QScrollBar* rows = verticalScrollBar();
    const int row = offset / BytesPerRow;
    if (row < rows->value())
        rows->setValue(row);
    else if (row >= rows->value() + PageRows())
        rows->setValue(row - PageRows() + 1);
    QScrollBar* columns = horizontalScrollBar();
    const QRectF cell = CellRect(FPane, offset).translated(columns->value(), 0);
    if (cell.left() < columns->value())
        columns->setValue(static_cast<int>(std::floor(cell.left() - FCharWidth)));
    else if (cell.right() > columns->value() + viewport()->width())
        columns->setValue(static_cast<int>(std::ceil(cell.right() + FCharWidth)) -
                          viewport()->width());
}

qreal TAppHexView::HexX(int column) const {
    return (HexColumn + 3 * column + (column >= BytesPerRow / 2 ? 1 : 0)) * FCharWidth;
}

qreal TAppHexView::TextX(int column) const {
    return (TextColumn + column) * FCharWidth;
}

qreal TAppHexView::ContentWidth() const {
    return Columns * FCharWidth;
}

QRectF TAppHexView::CellRect(TPane pane, int offset) const {
    const int column = offset % BytesPerRow;
    const qreal top = (offset / BytesPerRow - verticalScrollBar()->value()) * FRowHeight;
    const qreal left = -horizontalScrollBar()->value();
    if (pane == TPane::Hex)
        return {left + HexX(column), top, 2 * FCharWidth, qreal(FRowHeight)};
    const TCell cell = offset < static_cast<int>(FCells.size()) ? FCells[offset] : TCell::Single;
    // The cursor on either byte of a pair covers the whole character.
    if (cell == TCell::Lead)
        return {left + TextX(column), top, 2 * FCharWidth, qreal(FRowHeight)};
    if (cell == TCell::Trail && column > 0)
        return {left + TextX(column - 1), top, 2 * FCharWidth, qreal(FRowHeight)};
    return {left + TextX(column), top, FCharWidth, qreal(FRowHeight)};
}

TAppHexView::TPane TAppHexView::PaneAt(QPointF position) const {
    const qreal x = position.x() + horizontalScrollBar()->value();
    return x < (HexX(BytesPerRow - 1) + 2 * FCharWidth + TextX(0)) / 2 ? TPane::Hex : TPane::Text;
}

int TAppHexView::OffsetAt(QPointF position, TPane pane) const {
    const qreal x = position.x() + horizontalScrollBar()->value();
    const int row = std::clamp(verticalScrollBar()->value() +
                                   static_cast<int>(std::floor(position.y() / FRowHeight)),
                               0, std::max(0, RowCount() - 1));
    int column = 0;
    if (pane == TPane::Hex) {
        column = BytesPerRow - 1;
        // Each pair owns half the space on either side of it.
        while (column > 0 && x < HexX(column) - FCharWidth / 2)
            --column;
    } else {
        column = std::clamp(static_cast<int>(std::floor((x - TextX(0)) / FCharWidth)), 0,
                            BytesPerRow - 1);
    }
    return std::min(row * BytesPerRow + column, static_cast<int>(FBytes.size()) - 1);
}

void TAppHexView::PaintRow(QPainter& painter, int row) const {
    const QPalette& colors = palette();
    const qreal left = -horizontalScrollBar()->value();
    const qreal top = (row - verticalScrollBar()->value()) * FRowHeight;
    const qreal baseline = top + 1 + FAscent;
    const int start = row * BytesPerRow;
    const int count = std::min(BytesPerRow, static_cast<int>(FBytes.size()) - start);
    const auto* bytes = reinterpret_cast<const uint8_t*>(FBytes.constData());

    const auto [selectionStart, selectionLength] = Selection();
    const auto selected = [&](int offset) {
        return offset >= selectionStart && offset < selectionStart + selectionLength;
    };
    QColor selection = colors.color(QPalette::Highlight);
    selection.setAlpha(96);
    for (int column = 0; column < count; ++column) {
        if (!selected(start + column))
            continue;
        // Joined to the next selected pair across the space between them.
        const bool joined = column + 1 < count && selected(start + column + 1);
        const qreal width = joined ? HexX(column + 1) - HexX(column) : 2 * FCharWidth;
        painter.fillRect(QRectF(left + HexX(column), top, width, FRowHeight), selection);
        painter.fillRect(QRectF(left + TextX(column), top, FCharWidth, FRowHeight), selection);
    }

    // The pane with the keyboard shows its cursor filled, the other one outlined.
    const bool inRow = FCursor >= start && FCursor < start + count;
    const auto strong = [&](TPane pane) { return inRow && hasFocus() && FPane == pane; };
    if (inRow) {
        for (const TPane pane : {TPane::Hex, TPane::Text}) {
            const QRectF cell = CellRect(pane, FCursor);
            if (strong(pane)) {
                painter.fillRect(cell, colors.color(QPalette::Highlight));
            } else {
                painter.setPen(colors.color(QPalette::Text));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(cell.adjusted(0.5, 0.5, -0.5, -0.5));
            }
        }
    }

    const QColor text = colors.color(QPalette::Text);
    const QColor highlighted = colors.color(QPalette::HighlightedText);
    const QColor faint = colors.color(QPalette::PlaceholderText);
    painter.setPen(faint);
    painter.drawText(QPointF(left + OffsetColumn * FCharWidth, baseline),
                     QString::asprintf("%04X", static_cast<unsigned>(start)));
    for (int column = 0; column < count; ++column) {
        const int offset = start + column;
        const bool cursor = offset == FCursor;
        painter.setPen(cursor && strong(TPane::Hex) ? highlighted : text);
        painter.drawText(QPointF(left + HexX(column), baseline), HexPair(bytes[offset]));
        const TCell cell = FCells[static_cast<size_t>(offset)];
        if (cell == TCell::Trail)
            continue;
        if (cell == TCell::Lead) {
            const bool onPair = cursor || offset + 1 == FCursor;
            painter.setPen(onPair && strong(TPane::Text) ? highlighted : text);
            painter.drawText(QRectF(left + TextX(column), top, 2 * FCharWidth, FRowHeight),
                             Qt::AlignCenter,
                             QString(QChar(PairChar(bytes[offset], bytes[offset + 1]))));
            continue;
        }
        const char16_t c = SingleChar(bytes[offset], FTextMode);
        painter.setPen(cursor && strong(TPane::Text) ? highlighted : c != 0 ? text : faint);
        painter.drawText(QPointF(left + TextX(column), baseline),
                         QString(QChar(c != 0 ? c : u'.')));
    }
    if (strong(TPane::Hex)) {
        // The nibble the next digit goes to.
        const QRectF cell = CellRect(TPane::Hex, FCursor);
        painter.fillRect(
            QRectF(cell.left() + (FLowNibble ? FCharWidth : 0), cell.bottom() - 2, FCharWidth, 2),
            highlighted);
    }
}
