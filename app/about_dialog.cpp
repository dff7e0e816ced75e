// The About box's layout.
#include "app/about_dialog.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "platform/gui/dialogs.h"
#include "resources/resources.h"

namespace torvane {

TFAbout* FAbout = nullptr;

TFAbout::TFAbout(QWidget* parent) : TModalForm(parent) {
  setObjectName(QStringLiteral("FAbout"));
  setWindowTitle(QStringLiteral("关于Torvane"));
  QFont form_font(QStringLiteral("宋体"));
  form_font.setPixelSize(15);
  setFont(form_font);
  setFixedSize(436, 250);
  if (parent != nullptr) {
    const QWidget* over = parent->window();
    move(over->geometry().center() - rect().center());
  }

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  const QPixmap logo(QString::fromLatin1(kLogoResource));
  Image1->setPixmap(logo);
  Image1->setGeometry(20, 13, logo.width(), logo.height());
  // A label shows '&' as it is, so the doubled ampersand of the caption
  // becomes one here.
  Label1 = new QLabel(QStringLiteral("Torvane & Compiler 2011.11"), this);
  Label1->move(113, 13);
  Label2 = new QLabel(QStringLiteral("汇编语言源程序编辑器，编辑 x86 汇编源程序。"), this);
  Label2->move(113, 39);
  Label4 = new QLabel(QStringLiteral("语法高亮、行号、撤销，一键调用 NASM 编译。"), this);
  Label4->move(113, 93);
  Label5 = new QLabel(QStringLiteral("编译器路径在“选项”菜单中设置。"), this);
  Label5->move(113, 120);
  // The texts keep 8 pixels from the right edge; a longer one wraps.
  for (QLabel* label : {Label1, Label2, Label4, Label5}) {
    const int room = width() - label->x() - kAboutTextMargin;
    label->setWordWrap(true);
    label->resize(room, label->heightForWidth(room));
  }
  Button1 = new QPushButton(QStringLiteral("确定(&O)"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(188, 185, 93, 31);
  Button1->setAutoDefault(false);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TFAbout::Button1Click() {
  done(mrOk);
}

int ShowAboutDialog(QWidget* parent) {
  TFAbout form(parent);
  FAbout = &form;
  const int result = Dialogs().ExecForm(form);
  FAbout = nullptr;
  return result;
}

}  // namespace torvane
