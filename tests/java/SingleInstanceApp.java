import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.nio.file.StandardCopyOption;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;

/**
 * The first instance of a single-instance application: prints "started", creates the file named by
 * the property instance.ready holding its process id, then waits (a minute at most) for as many hand-overs as its first
 * argument says. Each hand-over's array is printed, escaped as by ArgsEcho.
 */
public class SingleInstanceApp {
  private static CountDownLatch expected = new CountDownLatch(0);

  public static void main(String[] args) throws Exception {
    expected = new CountDownLatch(args.length > 0 ? Integer.parseInt(args[0]) : 0);
    System.out.println("started");
    System.out.flush();
    String ready = System.getProperty("instance.ready");
    if (ready != null) {
      String pid = Long.toString(ProcessHandle.current().pid());
      Files.write(Paths.get(ready + ".tmp"), pid.getBytes("US-ASCII"));
      Files.move(Paths.get(ready + ".tmp"), Paths.get(ready), StandardCopyOption.REPLACE_EXISTING);
    }
    if (!expected.await(60, TimeUnit.SECONDS)) System.out.println("timed out");
    System.out.println("done");
  }

  public static synchronized void receive(String[] args) throws IOException {
    System.out.println("received count=" + args.length);
    for (int i = 0; i < args.length; i++) {
      System.out.println("received[" + i + "]=" + ArgsEcho.escaped(args[i]));
    }
    System.out.flush();
    expected.countDown();
  }
}
