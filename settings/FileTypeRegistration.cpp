#include "settings/FileTypeRegistration.h"

#include "platform/ClassesRoot.h"

const std::array<TFileTypeRow, 7> &VornFileTypes()
{
    static const std::array<TFileTypeRow, 7> rows{{
        {QStringLiteral(".vmres"), QStringLiteral("vorn_res"), QStringLiteral("Velmire Resource")},
        {QStringLiteral(".vmmap"), QStringLiteral("vorn_map"), QStringLiteral("Velmire Map")},
        {QStringLiteral(".vmsave"), QStringLiteral("vorn_save"), QStringLiteral("Velmire Save")},
        {QStringLiteral(".vmasave"), QStringLiteral("vorn_asave"), QStringLiteral("Velmire Autosave")},
        {QStringLiteral(".vmqsave"), QStringLiteral("vorn_qsave"), QStringLiteral("Velmire Quicksave")},
        {QStringLiteral(".vmparty"), QStringLiteral("vorn_party"), QStringLiteral("Velmire Party")},
        {QStringLiteral(".vvc"), QStringLiteral("vorn_vvc"), QStringLiteral("VornViewer Collection")},
    }};
    return rows;
}

void RegisterFileType(TClassesRoot &root, const QString &extension, const QString &typeName,
                      const QString &description, const QString &exePath, int iconIndex, bool notify)
{
    // Every key path starts at the root: each key is closed after its value.
    root.WriteDefaultValue(extension, typeName);
    root.WriteDefaultValue(typeName, description);
    root.WriteDefaultValue(typeName + QStringLiteral("\\DefaultIcon"), exePath + u',' + QString::number(iconIndex));
    root.WriteDefaultValue(typeName + QStringLiteral("\\Shell\\Open"), QStringLiteral("&Open"));
    root.WriteDefaultValue(typeName + QStringLiteral("\\Shell\\Open\\Command"),
                           u'"' + exePath + QStringLiteral("\" \"%1\""));
    if (notify)
        root.NotifyAssociationsChanged();
}

void RegisterVornFileTypes(TClassesRoot &root, const QString &exePath)
{
    const auto &rows = VornFileTypes();
    for (std::size_t i = 0; i < rows.size(); ++i)
        RegisterFileType(root, rows[i].Extension, rows[i].TypeName, rows[i].Description, exePath, 0,
                         i + 1 == rows.size());
}
