/** Returns from main while a non-daemon thread goes on working. */
public class Lingerer {
  static volatile boolean mainReturned;

  public static void main(String[] args) {
    Thread worker = new Thread(() -> {
      try {
        while (!mainReturned) Thread.sleep(10);
        // Well after main has returned: a launcher that did not wait would be gone.
        Thread.sleep(300);
      } catch (InterruptedException e) {
        return;
      }
      System.out.println("worker finished");
    });
    worker.setDaemon(false);
    worker.start();
    System.out.println("main returning");
    mainReturned = true;
  }
}
