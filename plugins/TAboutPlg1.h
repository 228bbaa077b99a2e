#pragma once

#include <QDialog>

class QLabel;
class QTextEdit;

// "About plug-in": a plug-in's name, version and description from the
// options dialog's listing, with the maker's links. The options dialog creates
// one per request, shows it modally and destroys it; the program also creates
// one hidden at start. UI thread only.
class TAboutPlg1 : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutPlg1(QWidget* parent = nullptr);

    // Fills memPlgName, laPlgVers (replacing its design text) and memPlgDescr.
    void setPlugin(const QString& name, const QString& version, const QString& description);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Image1Click();
    void laSupportClick();
    void laAuthorClick();

    QLabel* m_image1;
    QTextEdit* m_memPlgName;
    QTextEdit* m_memPlgDescr;
    QLabel* m_laPlgVers;
    QLabel* m_laSupport;
    QLabel* m_laAuthor;
};
