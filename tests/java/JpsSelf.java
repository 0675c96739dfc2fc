import java.io.BufferedReader;
import java.io.InputStreamReader;

/** Runs the jps tool named by its argument and prints the line it lists for this process. */
public class JpsSelf {
  public static void main(String[] args) throws Exception {
    String self = Long.toString(ProcessHandle.current().pid());
    Process jps = new ProcessBuilder(args[0], "-l").redirectErrorStream(true).start();
    String seen = "not listed";
    try (BufferedReader lines = new BufferedReader(new InputStreamReader(jps.getInputStream()))) {
      for (String line; (line = lines.readLine()) != null; ) {
        if (line.startsWith(self + " ")) seen = line.substring(self.length() + 1);
      }
    }
    jps.waitFor();
    System.out.println("jps lists this process as: " + seen);
  }
}
