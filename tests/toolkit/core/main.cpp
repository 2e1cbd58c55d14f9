#include <QCoreApplication>
#include <QTest>

int runRegistryTests(int argc, char** argv);
int runStreamTests(int argc, char** argv);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int failures = 0;
    failures += runRegistryTests(argc, argv);
    failures += runStreamTests(argc, argv);
    return failures;
}
