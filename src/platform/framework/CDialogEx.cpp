#include "platform/framework/CDialogEx.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "platform/framework/DialogFrame.h"
#include "platform/framework/ResourceImages.h"
#include "platform/framework/ResourceTypes.h"
#include "platform/system/CStringQt.h"

namespace {

// The average width of the Latin letters, as the dialog manager measures it.
constexpr char kWidthSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The dialog font: "MS Shell Dlg" is the name of the system's dialog face, so it maps to the
// system's general face at the given size.
QFont DialogFont(const DialogResource& resource) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  if (QString::fromWCharArray(resource.fontFace) != QStringLiteral("MS Shell Dlg")) {
    font.setFamily(QString::fromWCharArray(resource.fontFace));
  }
  font.setPointSize(resource.fontPoints);
  return font;
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int sampleLength = static_cast<int>(sizeof(kWidthSample)) - 1;
  const int width = metrics.horizontalAdvance(QLatin1String(kWidthSample));
  return {(width / (sampleLength / 2) + 1) / 2, metrics.height()};
}

QRect DialogUnitsToPixels(const QRect& rect, DialogBaseUnits units) {
  auto across = [&](int value) { return value * units.x / 4; };
  auto down = [&](int value) { return value * units.y / 8; };
  return {across(rect.x()), down(rect.y()), across(rect.width()), down(rect.height())};
}

BEGIN_MESSAGE_MAP(CDialogEx, CCmdTarget)
END_MESSAGE_MAP()

CDialogEx::CDialogEx(UINT templateId, QWidget* parent) : templateId_(templateId), parent_(parent) {}

CDialogEx::~CDialogEx() { delete dialog_; }

bool CDialogEx::Create() {
  if (dialog_ != nullptr) return true;
  const DialogResource* resource = FindDialogResource(templateId_);
  if (resource == nullptr) return false;
  dialog_ = new QDialog(parent_);
  UseModalDialogFrame(dialog_);
  dialog_->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
  dialog_->setWindowTitle(QString::fromWCharArray(resource->caption));
  dialog_->setFont(DialogFont(*resource));
  const DialogBaseUnits units = BaseUnitsOf(dialog_->font());
  dialog_->setFixedSize(DialogUnitsToPixels(QRect(0, 0, resource->cx, resource->cy), units).size());
  for (const DialogItem& item : resource->items) {
    const QRect place = DialogUnitsToPixels(QRect(item.x, item.y, item.cx, item.cy), units);
    QWidget* control = nullptr;
    switch (item.kind) {
      case DialogItemKind::kIcon: {
        auto* icon = new QLabel(dialog_);
        icon->setPixmap(LoadIconResource(item.iconId).pixmap(32, 32));
        control = icon;
        break;
      }
      case DialogItemKind::kStaticText: {
        auto* text = new QLabel(QString::fromWCharArray(item.text), dialog_);
        text->setTextFormat(Qt::PlainText);
        control = text;
        break;
      }
      case DialogItemKind::kDefaultPushButton: {
        auto* button = new QPushButton(QString::fromWCharArray(item.text), dialog_);
        button->setDefault(true);
        const int id = static_cast<int>(item.id);
        QObject::connect(button, &QPushButton::clicked, dialog_, [this, id] { dialog_->done(id); });
        control = button;
        break;
      }
    }
    control->setGeometry(place);
  }
  return true;
}

int CDialogEx::DoModal() {
  if (!Create()) return static_cast<int>(kIdCancelCommand);
  const int result = dialog_->exec();
  return result == QDialog::Rejected ? static_cast<int>(kIdCancelCommand) : result;
}
