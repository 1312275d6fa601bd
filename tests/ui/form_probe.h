#pragma once

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <initializer_list>

namespace ruvo::test {

// Reaches the controls of a form or dialog by their object names.
class FormProbe {
 public:
  using Names = std::initializer_list<const char*>;

  explicit FormProbe(QWidget& form) : root(form) {}

  QLineEdit* Box(const char* name) const { return Find<QLineEdit>(name); }
  QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
  QRadioButton* Radio(const char* name) const { return Find<QRadioButton>(name); }
  QListWidget* List(const char* name) const { return Find<QListWidget>(name); }
  QString Text(const char* name) const { return Box(name)->text(); }
  void Type(const char* name, const QString& text) const { Box(name)->setText(text); }
  void Click(const char* name) const { Button(name)->click(); }

  // Types each "name=text" entry into the box of that name.
  void Fill(const QStringList& entries) const {
    for (const QString& entry : entries) Type(qPrintable(entry.section('=', 0, 0)), entry.section('=', 1));
  }
  // The boxes' texts joined by '|'.
  QString Texts(Names names) const { return Join(names, "|", &FormProbe::Text); }
  // One '1' or '0' per control: enabled or not; for Checked, radio button checked or not.
  QString Enabled(Names names) const { return Join(names, "", &FormProbe::EnabledBit); }
  QString Checked(Names names) const { return Join(names, "", &FormProbe::CheckedBit); }
  QStringList Items(const char* listName) const {
    QStringList items;
    for (int row = 0; row < List(listName)->count(); ++row) items << List(listName)->item(row)->text();
    return items;
  }

 private:
  template <typename Widget>
  Widget* Find(const char* name) const {
    auto* widget = root.findChild<Widget*>(QString::fromLatin1(name));
    if (!widget) qFatal("no control named %s", name);
    return widget;
  }
  QString EnabledBit(const char* name) const { return Find<QWidget>(name)->isEnabled() ? "1" : "0"; }
  QString CheckedBit(const char* name) const { return Radio(name)->isChecked() ? "1" : "0"; }
  QString Join(Names names, const char* separator, QString (FormProbe::*show)(const char*) const) const {
    QStringList parts;
    for (const char* name : names) parts << (this->*show)(name);
    return parts.join(QString::fromLatin1(separator));
  }

  QWidget& root;
};

}  // namespace ruvo::test
