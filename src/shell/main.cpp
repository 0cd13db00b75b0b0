#include "shell/RuvelApp.h"

int main(int argc, char** argv)
{
    CRuvelApp app(argc, argv);
    return app.InitInstance();
}
