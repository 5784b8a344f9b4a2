#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Declaration files as the writer must give them for the sample data of tst_declarationfile,
// byte for byte. The verifier must accept every one of them.
namespace golden {

inline const QByteArray Agent =
    "'010','20123456786','Gr\xE1"
    "fica \xD1"
    "and\xFA S.R.L.','S','S','N','901-123456-7','San Mart\xED"
    "n 1234','Paran\xE1','3100','Entre R\xED"
    "os';\r\n";
inline const QByteArray Clients =
    "'040','27301112225','O''Brien Hnos.','','','','','';\r\n"
    "'040','30500010912','Imprenta del Centro','','','Rosario','','';\r\n"
    "'040','30712345671','Distribuidora Sur','901-000001-1','Belgrano 55','Santa Fe','3000',"
    "'Santa Fe';\r\n";

// Open rows carry no period yet; voided rows are written; a null flag is ''; rows keep the
// view's order, clients go by C.U.I.T.
inline const QByteArray PeriodWithRows =
    "TARVENIOV1.2\r\n"
    "K8<EA\r\n"
    "'000','2005','03','0';\r\n" +
    Agent +
    "'020','30712345671','Distribuidora Sur','15/03/2005','Facturas A',"
    "'500','1','500','','','0001','N','N';\r\n"
    "'020','27301112225','O''Brien Hnos.','16/03/2005','Remitos R',"
    "'100','1501','1600','','','0002','S','';\r\n"
    "'030','27301112225','O''Brien Hnos.','10/03/2005','Registra',"
    "'RX-200','1500','','','ABC123','0002','S-0001','';\r\n"
    "'030','30712345671','Distribuidora Sur','11/03/2005','Registra',"
    "'RX-300','1234,56','','','XYZ9','0003','S-0002','S';\r\n" +
    Clients + "Eof\r\n";
inline const QByteArray FiledPeriod =
    "TARVENIOV1.2\r\n"
    "K8;EA\r\n"
    "'000','2005','02','1';\r\n" +
    Agent +
    "'020','30500010912','Imprenta del Centro','01/02/2005','Tickets','50','1','50','2005','02',"
    "'0003','N','S';\r\n" +
    Clients + "Eof\r\n";
inline const QByteArray EmptyPeriod =
    "TARVENIOV1.2\r\n"
    "K8<EA\r\n"
    "'000','2005','03','0';\r\n" +
    Agent + Clients + "Eof\r\n";
inline const QByteArray EmptyRegister =
    "TARVENIOV1.2\r\n"
    "K8<EA\r\n"
    "'000','2005','03','0';\r\n" +
    Agent + "Eof\r\n";

struct File {
    const char* scenario;
    QString fileName;
    QByteArray bytes;
};

inline QList<File> files()
{
    return {{"period with rows", QStringLiteral("20123456786200503.imp"), PeriodWithRows},
            {"filed period, amended once", QStringLiteral("20123456786200502.imp"), FiledPeriod},
            {"empty period", QStringLiteral("20123456786200503.imp"), EmptyPeriod},
            {"empty register", QStringLiteral("20123456786200503.imp"), EmptyRegister}};
}

}  // namespace golden
