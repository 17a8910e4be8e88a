#pragma once
// TForm1: the image viewer window. It shows a picture at its natural size in
// the top-left corner of a scroll box and keeps its own copy of the picture.
// Its pop-up menu (and Ctrl+S) saves that picture as a PNG file.

#include <QImage>
#include <QSize>
#include <QWidget>

class QLabel;
class QScrollArea;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget *mainWindow = nullptr);

    // Shows the picture and sizes the window to it.
    void SetPicture(const QImage &picture);
    const QImage &Picture() const { return m_picture; }
    // The archive entry's name, offered as the PNG file's name.
    void SetSourceName(const QString &fileName) { m_sourceName = fileName; }

    // "Save as PNG...": asks for a file and saves the picture there; an
    // error is shown in a message box.
    void SaveAsPngClick();
    // Saves the picture, alpha included; raises Exception on failure.
    void SaveAsPng(const QString &path) const;

    // Client size for a picture: 10 pixels more than the picture each way,
    // and never less than 150 × 150.
    static QSize ClientSizeFor(const QSize &pictureSize);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();

    QImage m_picture;
    QString m_sourceName;
    QScrollArea *ScrollBox1 = nullptr;
    QLabel *Image1 = nullptr;
};
