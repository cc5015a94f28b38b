// Validates XML documents against W3C XML schemas, in one run:
//   java Validate.java <schema.xsd> <document.xml> ... [--reject <schema.xsd> <document.xml> ...]
// Each document before --reject must be valid, each one after it must be
// rejected. Prints one line per document; exits 0 when every document went
// as expected, 1 when not, 2 for a wrong command line.
//
// The ribbon schemas redefine a few attributes, which strict processors
// reject while compiling the schema; those errors are tolerated. Every error
// in a document is fatal.
import java.io.File;
import javax.xml.XMLConstants;
import javax.xml.transform.stream.StreamSource;
import javax.xml.validation.SchemaFactory;
import org.xml.sax.ErrorHandler;
import org.xml.sax.SAXException;
import org.xml.sax.SAXParseException;

public class Validate {
  public static void main(String[] args) throws Exception {
    SchemaFactory factory = SchemaFactory.newInstance(XMLConstants.W3C_XML_SCHEMA_NS_URI);
    factory.setErrorHandler(new ErrorHandler() {
      public void warning(SAXParseException e) {}
      public void error(SAXParseException e) {}
      public void fatalError(SAXParseException e) throws SAXParseException { throw e; }
    });
    boolean reject = false;
    boolean asExpected = true;
    int checked = 0;
    for (int i = 0; i < args.length; ++i) {
      if (args[i].equals("--reject")) {
        reject = true;
        continue;
      }
      if (i + 1 >= args.length) usage();
      String schema = args[i], document = args[++i];
      String error = null;
      try {
        factory.newSchema(new File(schema)).newValidator().validate(new StreamSource(new File(document)));
      } catch (SAXParseException e) {
        error = e.getLineNumber() + ":" + e.getColumnNumber() + ": " + e.getMessage();
      } catch (SAXException e) {
        error = e.getMessage();
      }
      boolean ok = reject ? error != null : error == null;
      asExpected &= ok;
      ++checked;
      System.out.println((ok ? "ok    " : "WRONG ") + document + ": "
          + (error == null ? "valid" : "rejected: " + error));
    }
    if (checked == 0) usage();
    System.exit(asExpected ? 0 : 1);
  }

  static void usage() {
    System.err.println("usage: java Validate.java <schema.xsd> <document.xml> ... [--reject <schema.xsd> <document.xml> ...]");
    System.exit(2);
  }
}
