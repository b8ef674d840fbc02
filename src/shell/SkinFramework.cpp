#include "shell/SkinFramework.h"
#include <QFile>
#include <QWidget>
#include <stdexcept>

namespace tw {

namespace {
[[noreturn]] void memberNotFound(int member) {
    throw std::runtime_error("Member not found: " + std::to_string(member));
}
}

QVariant SkinFramework::invokeMethod(int member, const QVariantList& arguments) {
    switch (member) {
    case LoadSkin: {
        QFile file(arguments.value(0).toString());
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("Could not load the skin " + file.fileName().toStdString() + ": " +
                                     file.errorString().toStdString());
        m_styleSheet = QString::fromUtf8(file.readAll());
        return true;
    }
    case ApplyWindow: {
        // A handle travels as a 32-bit number, as native window handles do.
        const WId handle = WId(quint32(arguments.value(0).toInt()));
        QWidget* window = QWidget::find(handle);
        if (!window || !(m_properties.value(ApplyOptions, 0).toInt() & 1))
            return false;
        window->setStyleSheet(m_styleSheet);
        return true;
    }
    default:
        memberNotFound(member);
    }
}

QVariant SkinFramework::property(int member) const {
    checkProperty(member);
    return m_properties.value(member, 0);
}

void SkinFramework::setProperty(int member, const QVariant& value) {
    checkProperty(member);
    m_properties[member] = value;
}

void SkinFramework::checkProperty(int member) {
    if (member != ApplyOptions && member != AutoApplyNewWindows && member != AutoApplyNewThreads)
        memberNotFound(member);
}

}
