import java.util.concurrent.CountDownLatch;
import java.util.concurrent.TimeUnit;
import java.util.concurrent.atomic.AtomicInteger;

/**
 * Ends itself in order when asked through initiateExit(int), and has a shutdown
 * hook. Its first argument chooses how it runs:
 *   (none)  main prints "ready", waits for the request, then exits with 3;
 *   linger  main returns at once; a non-daemon thread prints "ready" once main
 *           has returned, waits for the request and ends, so the request comes
 *           while the launcher waits for the runtime's end;
 *   twice   as with none, but the first call of initiateExit waits for a
 *           second one to come while it runs.
 * Every wait ends after 30 s, so that a request that never comes shows.
 */
public class ExitOnRequest {
  static final Thread mainThread = Thread.currentThread();
  static final CountDownLatch requested = new CountDownLatch(1);
  static final CountDownLatch bothCalls = new CountDownLatch(2);
  static final CountDownLatch bothReported = new CountDownLatch(2);
  static final AtomicInteger calls = new AtomicInteger();
  static volatile String mode = "";

  public static void initiateExit(int code) throws InterruptedException {
    int call = calls.incrementAndGet();
    String thread = Thread.currentThread() == mainThread ? "the main thread" : "another thread";
    System.out.println("initiateExit(" + code + ") call " + call + " on " + thread);
    if (mode.equals("twice")) {
      bothCalls.countDown();
      boolean overlapped = bothCalls.await(30, TimeUnit.SECONDS);
      System.out.println("call " + call + (overlapped ? " overlapped another" : " ran alone"));
      bothReported.countDown();
    }
    requested.countDown();
  }

  public static void main(String[] args) throws InterruptedException {
    mode = args.length > 0 ? args[0] : "";
    Runtime.getRuntime().addShutdownHook(new Thread(() -> System.out.println("shutdown hook ran")));
    if (mode.equals("linger")) {
      Thread worker = new Thread(ExitOnRequest::awaitRequestAfterMain);
      worker.setDaemon(false);
      worker.start();
      return;
    }
    System.out.println("ready");
    if (!requested.await(30, TimeUnit.SECONDS)) {
      System.out.println("no exit request came");
      return;
    }
    // Both calls say how they ran before the exit ends the process.
    if (mode.equals("twice")) bothReported.await(30, TimeUnit.SECONDS);
    System.out.println("main ends on request");
    System.exit(3);
  }

  static void awaitRequestAfterMain() {
    try {
      // The launcher's thread has no Java frames left once main has returned.
      while (mainThread.getStackTrace().length > 0) Thread.sleep(10);
      System.out.println("ready");
      boolean came = requested.await(30, TimeUnit.SECONDS);
      System.out.println(came ? "worker ends on request" : "no exit request came");
    } catch (InterruptedException e) {
      System.out.println("interrupted");
    }
  }
}
