#include "DemoWindow.h"

#include "MainWindow.h"
#include "Project.h"
#include "ProjectActions.h"
#include "WindowProjectFixture.h"

DemoWindow::DemoWindow() = default;

DemoWindow::~DemoWindow()
{
    close();
}

Canvas *DemoWindow::show(const QStringList &names)
{
    close();
    m_window = std::make_unique<MainWindow>();
    m_driver = std::make_unique<ViewDriver>(m_window.get());
    return WindowProjectFixture::showDefaultProject(*m_window, m_dir.filePath(QStringLiteral("Demo.qsmd")),
                                                    names);
}

void DemoWindow::close()
{
    m_driver.reset();
    if (m_window)
        clearModified();
    m_window.reset();
    m_prompter.messages.clear();
    m_prompter.messageAnswers.clear();
}

bool DemoWindow::isModified() const
{
    return m_window && m_window->project()->isModified();
}

void DemoWindow::clearModified()
{
    m_window->project()->markSaved();
}

QStringList DemoWindow::machinePath()
{
    return {QStringLiteral("Hardware Module"), QStringLiteral("Microcontroller"),
            QStringLiteral("Software Module"), QStringLiteral("StateMachine_1")};
}

QStringList DemoWindow::controllerPath()
{
    return {QStringLiteral("Hardware Module"), QStringLiteral("Microcontroller")};
}
