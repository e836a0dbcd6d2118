#include "core/General.h"
#include "engine/EngineRegistration.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    engine::RegisterEngine();
    General::Main();
    return app.exec();
}
