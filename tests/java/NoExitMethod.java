import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;

/** Has no initiateExit: runs on until the file named by its first argument exists (30 s at most). */
public class NoExitMethod {
  public static void main(String[] args) throws InterruptedException {
    Path stopFile = Paths.get(args[0]);
    System.out.println("ready");
    long deadline = System.nanoTime() + 30_000_000_000L;
    while (!Files.exists(stopFile)) {
      if (System.nanoTime() > deadline) {
        System.out.println("no stop file came");
        return;
      }
      Thread.sleep(10);
    }
    System.out.println("stop file found");
  }
}
