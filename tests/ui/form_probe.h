#pragma once

#include <QButtonGroup>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QWidget>

namespace ruvo::test {

// Reaches the controls of a form or dialog by their object names.
class FormProbe {
 public:
  explicit FormProbe(QWidget& form) : root(form) {}

  QLineEdit* Box(const char* name) const { return Find<QLineEdit>(name); }
  QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
  QRadioButton* Radio(const char* name) const { return Find<QRadioButton>(name); }
  QListWidget* List(const char* name) const { return Find<QListWidget>(name); }
  QString Text(const char* name) const { return Box(name)->text(); }
  void Type(const char* name, const QString& text) const { Box(name)->setText(text); }
  void Click(const char* name) const { Button(name)->click(); }

  QStringList Items(const char* listName) const {
    QStringList items;
    QListWidget* list = List(listName);
    for (int row = 0; row < list->count(); ++row) items << list->item(row)->text();
    return items;
  }

 private:
  template <typename Widget>
  Widget* Find(const char* name) const {
    auto* widget = root.findChild<Widget*>(QString::fromLatin1(name));
    if (!widget) qFatal("no control named %s", name);
    return widget;
  }

  QWidget& root;
};

}  // namespace ruvo::test
