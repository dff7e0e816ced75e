// The About box "关于Torvane": logo, program name and three lines about it.
#pragma once

#include "app/modal_form.h"

class QLabel;
class QPushButton;

namespace torvane {

// Room kept between the texts and the window's right edge.
inline constexpr int kAboutTextMargin = 8;

class TFAbout : public TModalForm {
  Q_OBJECT

 public:
  explicit TFAbout(QWidget* parent = nullptr);

  void Button1Click();  // OK

  QLabel* Image1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QPushButton* Button1 = nullptr;
};

// The dialog while it is shown, else null.
extern TFAbout* FAbout;

// Creates the dialog centred over parent, shows it modally, destroys it;
// returns the modal result.
int ShowAboutDialog(QWidget* parent);

}  // namespace torvane
