#pragma once

#include <QMainWindow>

// The program's frame window; its menus, tool bars and views arrive with later work.
class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* parent = nullptr);
};
