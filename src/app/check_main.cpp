// quorvane-check: the command-line checker.
#include "cli/Checker.h"

#include <QStringList>
#include <unistd.h>

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    Checker::catchInterruptions();
    const int status = Checker::run(arguments, STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO);
    Checker::endByInterruption();
    return status;
}
