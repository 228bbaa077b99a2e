#pragma once

#include <QString>
#include <functional>

// The main window's panes on the benchmark database, through the real models
// and views: a keystroke in the name search, a move with the navigator and a
// title click. Prints its figures as the store's part does.
void runPaneBench(const QString& databasePath,
                  const std::function<void(const char*, double, const char*)>& print);
