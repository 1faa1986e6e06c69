#include <QApplication>

#include "shell/CPLIMDispApp.h"

// The one application object, made before main() runs.
CPLIMDispApp theApp;

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  return AfxWinMain(argc, argv);
}
