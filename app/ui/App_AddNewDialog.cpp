#include "App_AddNewDialog.h"

#include "App_PresetsDialog.h"
#include "Rtl_convert.h"
#include "Rtl_exceptions.h"
#include "Rtl_texts.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>
#include <optional>

namespace {

// In the order of the combo box's items.
constexpr int32_t DiskTypes[] = {DiskType2D, DiskType2DD, DiskType2HD};
const char* const DiskTypeNames[] = {"2D", "2DD", "2HD"};

const char* const ValueNames[] = {"Edit21", "Edit22", "Edit23", "Edit24"};
const char* const ValueMessages[] = {rtl::TrNoop("The program cannot accept the C value."),
                                     rtl::TrNoop("The program cannot accept the H value."),
                                     rtl::TrNoop("The program cannot accept the R value."),
                                     rtl::TrNoop("The program cannot accept the N value.")};

QLabel* NewLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

TAppAddNewDialog::TAppAddNewDialog(std::string presetsFileName, QWidget* parent)
    : TAppDialog(tr("Add New"), parent), FPresetsFileName(std::move(presetsFileName)) {
    ComboBox11 = new QComboBox(this);
    ComboBox11->setObjectName(QStringLiteral("ComboBox11"));
    for (const char* name : DiskTypeNames)
        ComboBox11->addItem(QString::fromLatin1(name));
    QLabel* label11 = NewLabel("Label11", tr("&Disk type:"), this);
    label11->setBuddy(ComboBox11);

    // Wide enough for a hexadecimal byte with its prefix, such as "0x0FF".
    const int valueWidth = fontMetrics().horizontalAdvance(QStringLiteral("0x0FF00"));
    for (size_t i = 0; i < FValueEdits.size(); ++i) {
        FValueEdits[i] = new QLineEdit(this);
        FValueEdits[i]->setObjectName(QString::fromLatin1(ValueNames[i]));
        FValueEdits[i]->setFixedWidth(valueWidth);
    }
    QLabel* label21 = NewLabel("Label21", tr("&CHRN:"), this);
    label21->setBuddy(FValueEdits[0]);

    PresetsButton = new QPushButton(tr("&Presets..."), this);
    PresetsButton->setObjectName(QStringLiteral("PresetsButton"));
    // A click must not take the focus: leaving a field would check it, so Cancel could not
    // close the dialog over a bad value and OK would report the same fault twice.
    for (QPushButton* button : {PresetsButton, OkButton, CancelButton})
        button->setFocusPolicy(Qt::TabFocus);
    FirstControl = ComboBox11;

    auto* values = new QHBoxLayout;
    values->addWidget(FValueEdits[0]);
    const char* const separatorNames[] = {"Label22", "Label23", "Label24"};
    for (size_t i = 1; i < FValueEdits.size(); ++i) {
        values->addWidget(NewLabel(separatorNames[i - 1], QStringLiteral("x"), this));
        values->addWidget(FValueEdits[i]);
    }
    values->addStretch();

    auto* fields = new QGridLayout;
    fields->addWidget(label11, 0, 0);
    fields->addWidget(ComboBox11, 0, 1, Qt::AlignLeft);
    fields->addWidget(label21, 1, 0);
    fields->addLayout(values, 1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addLayout(NewButtonRow({PresetsButton}));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* tabOrder[] = {ComboBox11,     FValueEdits[0], FValueEdits[1], FValueEdits[2],
                           FValueEdits[3], PresetsButton,  OkButton,       CancelButton};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    ComboBox11->installEventFilter(this);
    for (QLineEdit* edit : FValueEdits)
        edit->installEventFilter(this);
    connect(PresetsButton, &QPushButton::clicked, this, [this] { PresetsButtonClick(); });
}

TAppAddNewDialog::~TAppAddNewDialog() = default;

bool TAppAddNewDialog::Execute() {
    WriteDiskFormat(FDiskFormat);
    return exec() == Accepted;
}

TDiskFormat TAppAddNewDialog::ReadDiskFormat() {
    TDiskFormat format;
    format.DiskType = ReadDiskType();
    format.C = ReadValue(0);
    format.H = ReadValue(1);
    format.R = ReadValue(2);
    format.N = ReadValue(3);
    return format;
}

void TAppAddNewDialog::WriteDiskFormat(const TDiskFormat& format) {
    const auto* type = std::find(std::begin(DiskTypes), std::end(DiskTypes), format.DiskType);
    if (type == std::end(DiskTypes))
        RaiseInputError(rtl::Tr("The program does not support the disk type."), nullptr);
    ComboBox11->setCurrentIndex(static_cast<int>(type - std::begin(DiskTypes)));
    const int32_t values[] = {format.C, format.H, format.R, format.N};
    for (size_t i = 0; i < FValueEdits.size(); ++i)
        FValueEdits[i]->setText(QString::number(values[i]));
}

void TAppAddNewDialog::done(int result) {
    if (result == Accepted) {
        try {
            FDiskFormat = ReadDiskFormat();
        } catch (...) {
            rtl::HandleException();
            return;
        }
    }
    QDialog::done(result);
}

bool TAppAddNewDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !FChecking && isVisible()) {
        // The error box taking the activation, or a popup such as the combo box's list, does
        // not mean that the user has left the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            CheckOnExit(watched);
    }
    return QDialog::eventFilter(watched, event);
}

int32_t TAppAddNewDialog::ReadDiskType() {
    const int index = ComboBox11->currentIndex();
    if (index < 0 || index >= static_cast<int>(std::size(DiskTypes)))
        RaiseInputError(rtl::Tr("Specify the disk type."), ComboBox11);
    return DiskTypes[index];
}

int32_t TAppAddNewDialog::ReadValue(size_t index) {
    const std::optional<int32_t> value = rtl::TryStrToInt(FValueEdits[index]->text().toStdString());
    if (!value || *value < 0 || *value > 255)
        RaiseInputError(rtl::Tr(ValueMessages[index]), FValueEdits[index]);
    return *value;
}

void TAppAddNewDialog::CheckOnExit(QObject* control) {
    // The error display may run a modal loop; the focus moves it causes are no exits.
    QScopedValueRollback<bool> checking(FChecking, true);
    try {
        if (control == ComboBox11)
            ReadDiskType();
        for (size_t i = 0; i < FValueEdits.size(); ++i)
            if (control == FValueEdits[i])
                ReadValue(i);
    } catch (...) {
        rtl::HandleException();
    }
}

void TAppAddNewDialog::RaiseInputError(const std::string& message, QWidget* control) {
    // The control that loses the focus here is not being left by the user.
    QScopedValueRollback<bool> checking(FChecking, true);
    if (control != nullptr && control->isEnabled() && control->isVisible())
        control->setFocus(Qt::OtherFocusReason);
    else if (QWidget* focused = focusWidget())
        focused->clearFocus();
    throw rtl::EInvalidOperation(message);
}

void TAppAddNewDialog::PresetsButtonClick() {
    try {
        if (!FPresetsDialog)
            FPresetsDialog = std::make_unique<TAppPresetsDialog>(FPresetsFileName, this);
        if (FPresetsDialog->Execute())
            WriteDiskFormat(FPresetsDialog->DiskFormat());
    } catch (...) {
        rtl::HandleException();
    }
}
