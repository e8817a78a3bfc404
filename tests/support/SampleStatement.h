#pragma once

#include <string>

/// An OFX 1.x statement of the account as a bank writes it, with two transactions: F1
/// "Corner Bakery" -12.50 on 3 May 2016 and F2 "Salary" 100.00 on 4 May 2016.
inline std::string SampleStatement(const std::string& accountId)
{
    return "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\n\r\n<OFX>\r\n<BANKMSGSRSV1>\r\n"
           "<STMTTRNRS>\r\n<STMTRS>\r\n<CURDEF>USD\r\n<BANKACCTFROM>\r\n<ACCTID>" +
           accountId +
           "\r\n</BANKACCTFROM>\r\n<BANKTRANLIST>\r\n"
           "<STMTTRN>\r\n<TRNTYPE>DEBIT\r\n<DTPOSTED>20160503\r\n<TRNAMT>-12.50\r\n"
           "<FITID>F1\r\n<NAME>Corner Bakery\r\n</STMTTRN>\r\n"
           "<STMTTRN>\r\n<TRNTYPE>CREDIT\r\n<DTPOSTED>20160504\r\n<TRNAMT>100.00\r\n"
           "<FITID>F2\r\n<NAME>Salary\r\n</STMTTRN>\r\n"
           "</BANKTRANLIST>\r\n</STMTRS>\r\n</STMTTRNRS>\r\n</BANKMSGSRSV1>\r\n</OFX>\r\n";
}
